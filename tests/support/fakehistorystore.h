#pragma once

#include "platform/api/historystore.h"

#include <functional>
#include <QList>
#include <QPointer>

// The history in memory, with the real store's ranking and order of answers, and switches
// for what the window must live with: answers held back (a slow store) and a store that
// cannot write.
class FakeHistoryStore final : public HistoryStore
{
    Q_OBJECT

public:
    explicit FakeHistoryStore(FrecencyRule rule, QObject *parent = nullptr);

    void recordVisit(const QString &url, const QString &title, qint64 time,
                     VisitKind kind) override;
    void setTitle(const QString &url, const QString &title) override;
    void removeAddresses(const QStringList &urls) override;
    void removeVisits(const QList<qint64> &visitIds) override;
    void clearRange(qint64 from, qint64 to) override;
    void complete(const CompletionQuery &query, QObject *context,
                  std::function<void(const QList<HistoryEntry> &)> answer) override;
    void visits(const VisitQuery &query, QObject *context,
                std::function<void(const QList<HistoryVisit> &)> answer) override;

    // Answers wait until releaseAnswers() while held.
    void holdAnswers(bool hold) { m_holding = hold; }
    void releaseAnswers();
    int heldAnswers() const { return int(m_held.size()); }
    // From now on writes are refused, said once with this reason.
    void refuseWrites(const QString &reason);

    struct Place
    {
        QString url;
        QString title;
        QList<HistoryVisit> visits; // oldest first
        double frecency = 0;
    };
    QList<Place> places;

private:
    void answerLater(QObject *context, std::function<void()> answer);
    // The addresses left without a visit go; which went.
    QStringList removeUnvisited();
    void tellRemoved(const QStringList &urls, bool all);
    bool writable();
    void rank(Place &place);
    Place *placeOf(const QString &url);

    FrecencyRule m_rule;
    qint64 m_nextVisitId = 1;
    bool m_holding = false;
    QString m_refusal;
    bool m_refusalSaid = false;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> m_held;
};
