#pragma once

#include "platform/api/downloadcontrol.h"
#include "platform/api/downloads.h"
#include "platform/desktop/webengine/transferrate.h"

#include <memory>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Follows the accepted downloads of one profile to their end, lists them for the downloads
// window and puts the latest in one line for the status bar. While a download runs, the tracker
// keeps itself and the profile alive, so the download goes on after the window that started it has
// closed.
class DownloadTracker final : public Downloads,
                              public DownloadControl,
                              public std::enable_shared_from_this<DownloadTracker>
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
    QList<Row> rows() const override;
    void cancel(quint32 id) override;
    void clearFinished() override;
    // Each download of late, with its progress or how it ended; "" when there is none.
    QString statusText() const;
    // The downloads that have ended are no news any more: the status line leaves them out.
    // Tells no one; the caller shows its line anew.
    void endedSeen();

    int DownloadsInProgress() const override { return running(); }
    void CancelDownloads() override { cancelAll(); }
    Downloads &downloads() override { return *this; }

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
        State state = State::Running;
        qint64 received = 0; // kept for when the engine's request is gone
        qint64 total = -1;
        QElapsedTimer started;
        TransferRate rate;
        bool savedPage = false;
        bool inStatus = true; // the status line shows the downloads since the last one ended
    };

    void resume(QWebEngineDownloadRequest *download);
    void follow(QWebEngineDownloadRequest *download);
    void finish(Entry &entry);
    void end(Entry &entry, State state, const QString &ending);
    static void removePartialFile(const Entry &entry);
    void releaseWhenIdle();

    std::shared_ptr<QWebEngineProfile> m_profile;
    QList<Entry> m_entries;
    QTimer m_throttle;
    std::shared_ptr<DownloadTracker> m_keepAlive;
};
