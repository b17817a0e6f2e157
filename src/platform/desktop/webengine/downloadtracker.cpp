#include "downloadtracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

constexpr int ProgressIntervalMs = 250;

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The engine's reason for a body that ended before its announced length; Qt has no name
// for it.
constexpr int ServerContentLengthMismatch = 38;

QString failureText(QWebEngineDownloadRequest *download)
{
    if (download->interruptReason() == ServerContentLengthMismatch)
        return DownloadTracker::tr("failed, the connection was lost");
    switch (download->interruptReason()) {
    case QWebEngineDownloadRequest::FileNoSpace:
        return DownloadTracker::tr("failed, the disk is full");
    case QWebEngineDownloadRequest::FileFailed:
    case QWebEngineDownloadRequest::FileAccessDenied:
    case QWebEngineDownloadRequest::FileNameTooLong:
    case QWebEngineDownloadRequest::FileTooLarge:
    case QWebEngineDownloadRequest::FileTransientError:
        return DownloadTracker::tr("failed, the file could not be written");
    case QWebEngineDownloadRequest::NetworkFailed:
    case QWebEngineDownloadRequest::NetworkTimeout:
    case QWebEngineDownloadRequest::NetworkDisconnected:
    case QWebEngineDownloadRequest::NetworkServerDown:
    case QWebEngineDownloadRequest::ServerUnreachable:
        return DownloadTracker::tr("failed, the connection was lost");
    case QWebEngineDownloadRequest::UserCanceled:
        return DownloadTracker::tr("cancelled");
    default:
        return DownloadTracker::tr("failed, %1").arg(download->interruptReasonString());
    }
}

} // namespace

DownloadTracker::DownloadTracker(std::shared_ptr<QWebEngineProfile> profile)
    : m_profile(std::move(profile))
{
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(ProgressIntervalMs);
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this, &DownloadTracker::resume);
    connect(&m_throttle, &QTimer::timeout, this, &DownloadTracker::statusTextChanged);
    // The program ends with its event loop, and the engine must not outlive it: downloads
    // still running stop there, and let go of the profile.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        cancelAll();
        for (const Entry &entry : std::as_const(m_entries)) {
            if (entry.ending.isEmpty())
                removePartialFile(entry);
        }
        // Once this returns, the last owner may be gone; nothing here runs after it.
        const auto keep = std::exchange(m_keepAlive, nullptr);
    });
}

DownloadTracker::~DownloadTracker() = default;

void DownloadTracker::track(QWebEngineDownloadRequest *download)
{
    // A new download starts a new line: the ends of the earlier ones have been seen.
    m_entries.removeIf([](const Entry &entry) { return !entry.ending.isEmpty(); });

    Entry entry;
    entry.download = download;
    entry.name = download->downloadFileName();
    entry.path = QDir(download->downloadDirectory()).filePath(entry.name);
    entry.id = download->id();
    m_entries.append(entry);
    m_keepAlive = shared_from_this();
    follow(download);
    Q_EMIT statusTextChanged();
}

bool DownloadTracker::isTracked(QWebEngineDownloadRequest *download) const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [download](const Entry &entry) {
        return entry.id == download->id() && entry.ending.isEmpty();
    });
}

void DownloadTracker::resume(QWebEngineDownloadRequest *download)
{
    // The engine tries again by itself after a network failure, and then asks for the
    // download's place once more: it goes where the user put it, whether or not a window
    // is still there.
    for (Entry &entry : m_entries) {
        if (entry.id != download->id() || !entry.ending.isEmpty())
            continue;
        const QFileInfo target(entry.path);
        download->setDownloadDirectory(target.absolutePath());
        download->setDownloadFileName(target.fileName());
        if (entry.download != download) {
            entry.download = download;
            follow(download);
        }
        download->accept();
        return;
    }
}

void DownloadTracker::follow(QWebEngineDownloadRequest *download)
{
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this] {
        if (!m_throttle.isActive())
            m_throttle.start();
    });
    // An interrupted download is not finished for the engine, which could resume it; for
    // the user it has failed.
    auto ended = [this, download] {
        if (!download->isFinished()
            && download->state() != QWebEngineDownloadRequest::DownloadInterrupted)
            return;
        for (Entry &entry : m_entries) {
            if (entry.download == download && entry.ending.isEmpty()) {
                finish(entry);
                return;
            }
        }
    };
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, ended);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, ended);
}

int DownloadTracker::running() const
{
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(),
                             [](const Entry &entry) { return entry.ending.isEmpty(); }));
}

void DownloadTracker::cancelAll()
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.ending.isEmpty() && entry.download)
            entry.download->cancel();
    }
}

QString DownloadTracker::statusText() const
{
    QStringList lines;
    for (const Entry &entry : m_entries) {
        if (!entry.ending.isEmpty()) {
            lines.append(tr("%1: %2").arg(entry.name, entry.ending));
            continue;
        }
        const qint64 received = entry.download ? entry.download->receivedBytes() : 0;
        const qint64 total = entry.download ? entry.download->totalBytes() : -1;
        if (total > 0) {
            lines.append(tr("%1: %2 of %3 (%4%)")
                             .arg(entry.name, sizeText(received), sizeText(total))
                             .arg(received * 100 / total));
        } else {
            lines.append(tr("%1: %2").arg(entry.name, sizeText(received)));
        }
    }
    return lines.join(QStringLiteral("; "));
}

void DownloadTracker::finish(Entry &entry)
{
    QWebEngineDownloadRequest *download = entry.download;
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        entry.ending = tr("done, %1").arg(sizeText(download->receivedBytes()));
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        entry.ending = tr("cancelled");
        break;
    default:
        entry.ending = failureText(download);
        download->cancel();
        removePartialFile(entry);
        break;
    }
    m_throttle.stop();
    Q_EMIT statusTextChanged();
    if (running() == 0)
        releaseWhenIdle();
}

void DownloadTracker::removePartialFile(const Entry &entry)
{
    // The file under the chosen name only comes with the whole download. Until then the
    // bytes go to a file beside it, which the engine keeps after a failure to resume later;
    // a download given up must not leave it behind.
    QFile::remove(entry.path + QStringLiteral(".download"));
}

void DownloadTracker::releaseWhenIdle()
{
    // Not at once: this runs inside the tracker's own handler, which must end on a live
    // tracker.
    if (auto keep = std::exchange(m_keepAlive, nullptr))
        QMetaObject::invokeMethod(
            qApp, [keep] {}, Qt::QueuedConnection);
}
