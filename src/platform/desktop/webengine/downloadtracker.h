#pragma once

#include <memory>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Follows the accepted downloads of one profile to their end and puts them in one line for
// the status bar. While a download runs, the tracker keeps itself and the profile alive, so
// the download goes on after the window that started it has closed.
class DownloadTracker final : public QObject, public std::enable_shared_from_this<DownloadTracker>
{
    Q_OBJECT

public:
    explicit DownloadTracker(std::shared_ptr<QWebEngineProfile> profile);
    ~DownloadTracker() override;

    // Call once the download's path is set.
    void track(QWebEngineDownloadRequest *download);
    // Whether the download is one that runs already: the engine asks again for its place
    // when it resumes it, and the tracker answers that itself.
    bool isTracked(QWebEngineDownloadRequest *download) const;
    int running() const;
    void cancelAll();
    // Each download of late, with its progress or how it ended; "" when there is none.
    QString statusText() const;

Q_SIGNALS:
    // At most a few times a second while bytes come in, and at once when a download ends.
    void statusTextChanged();

private:
    struct Entry
    {
        QPointer<QWebEngineDownloadRequest> download;
        quint32 id = 0;
        QString name;
        QString path;
        QString ending; // how it ended; empty while it runs
    };

    void resume(QWebEngineDownloadRequest *download);
    void follow(QWebEngineDownloadRequest *download);
    void finish(Entry &entry);
    static void removePartialFile(const Entry &entry);
    void releaseWhenIdle();

    std::shared_ptr<QWebEngineProfile> m_profile;
    QList<Entry> m_entries;
    QTimer m_throttle;
    std::shared_ptr<DownloadTracker> m_keepAlive;
};
