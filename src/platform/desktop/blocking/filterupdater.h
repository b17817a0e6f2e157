#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches filter lists by address into a folder, one after the other. A list that comes is
// written whole or not at all; one that fails leaves the list fetched before in place.
class FilterUpdater final : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 SizeLimit = 64 * 1024 * 1024;

    explicit FilterUpdater(QObject *parent = nullptr);
    ~FilterUpdater() override;

    bool isRunning() const { return m_reply != nullptr; }
    void start(const QList<QUrl> &addresses, const QString &folder);

Q_SIGNALS:
    // failures: one line per list that did not come, saying why.
    void finished(int updated, const QStringList &failures);

private:
    void fetchNext();
    void received();
    // Why the reply cannot stand as the new list; "" when it can.
    QString refusal(QNetworkReply *reply, const QByteArray &body) const;

    QNetworkAccessManager *m_network;
    QList<QUrl> m_pending;
    QString m_folder;
    QNetworkReply *m_reply = nullptr;
    int m_updated = 0;
    bool m_tooLarge = false;
    QStringList m_failures;
};
