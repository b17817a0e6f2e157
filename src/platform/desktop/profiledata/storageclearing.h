#pragma once

#include <memory>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

class QWebEnginePage;
class QWebEngineProfile;

// Clears origins' storage in the running engine: each origin is given a page of the program's
// own, never shown and requesting nothing from the site, whose script empties its local
// storage, its databases (IndexedDB) and its caches. A few pages at a time, each with a time
// limit; everything goes by signals, so the window keeps answering.
class StorageClearing final : public QObject
{
    Q_OBJECT

public:
    // An origin to clear. Its databases and caches are asked for only where it had them:
    // asking makes them.
    struct Target
    {
        QString origin;
        bool databases = false;
        bool caches = false;
    };

    explicit StorageClearing(QObject *parent = nullptr);
    ~StorageClearing() override;

    // Queues the origins that are not queued yet; the profile is kept while its pages live.
    void clear(const std::shared_ptr<QWebEngineProfile> &profile, const QList<Target> &targets);
    // Puts a queued origin first, as when a page of it is about to load.
    void hurry(const QString &origin);
    // Whether the origin is queued or being cleared.
    bool isPending(const QString &origin) const;

Q_SIGNALS:
    // The origin's storage is empty, or it could not be emptied (the page failed, or its time
    // ran out).
    void originEnded(const QString &origin, bool cleared);

private:
    void startNext();
    void start(const Target &target);
    void end(QWebEnginePage *page, const QString &origin, bool cleared);

    std::shared_ptr<QWebEngineProfile> m_profile;
    QList<Target> m_queue;
    QHash<QString, QWebEnginePage *> m_running;
};
