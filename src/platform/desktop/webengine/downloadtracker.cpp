#include "platform/desktop/webengine/downloadtracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
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

qint64 folderSize(const QString &path)
{
    qint64 size = 0;
    QDirIterator files(path, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        size += files.nextFileInfo().size();
    return size;
}

// The engine counts the bytes of a saved page as it found them, not as it wrote them (a page
// of hundreds of kilobytes shows a few bytes), so what the user is told comes from the disk:
// the page file, and for a complete page the folder of its parts beside it.
QString savedPageText(const QString &path)
{
    const QFileInfo page(path);
    const QFileInfo parts(page.dir().filePath(page.completeBaseName() + QStringLiteral("_files")));
    if (parts.isDir()) {
        return DownloadTracker::tr("saved %1 and %2 in %3, %4")
            .arg(page.fileName(), parts.fileName(), QDir::toNativeSeparators(page.absolutePath()),
                 sizeText(page.size() + folderSize(parts.filePath())));
    }
    return DownloadTracker::tr("saved %1 in %2, %3")
        .arg(page.fileName(), QDir::toNativeSeparators(page.absolutePath()), sizeText(page.size()));
}

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
    connect(this, &DownloadTracker::statusTextChanged, this, &Downloads::changed);
    // The program ends with its event loop, and the engine must not outlive it: downloads
    // still running stop there, and let go of the profile.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        // Taken before the cancels, which would otherwise hand it to an event loop that has
        // ended. Once this returns, the last owner may be gone; nothing here runs after it.
        const auto keep = std::exchange(m_keepAlive, nullptr);
        cancelAll();
    });
}

DownloadTracker::~DownloadTracker() = default;

void DownloadTracker::track(QWebEngineDownloadRequest *download)
{
    // A new download starts a new status line: the ends of the earlier ones have been seen.
    endedSeen();

    Entry entry;
    entry.download = download;
    entry.name = download->downloadFileName();
    entry.path = QDir(download->downloadDirectory()).filePath(entry.name);
    entry.id = download->id();
    entry.savedPage = download->isSavePageDownload();
    entry.started.start();
    // What the engine fetched before the user chose the place is the rate's base.
    entry.rate.add(0, download->receivedBytes());
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
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download] {
        for (Entry &entry : m_entries) {
            if (entry.download == download && entry.ending.isEmpty())
                entry.rate.add(entry.started.elapsed(), download->receivedBytes());
        }
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

QList<Downloads::Row> DownloadTracker::rows() const
{
    QList<Row> rows;
    rows.reserve(m_entries.size());
    for (const Entry &entry : m_entries) {
        Row row { .id = entry.id,
                  .name = entry.name,
                  .path = entry.path,
                  .received = entry.received,
                  .total = entry.total,
                  .state = entry.state,
                  .ending = entry.ending };
        if (entry.ending.isEmpty() && entry.download) {
            row.received = entry.download->receivedBytes();
            row.total = entry.download->totalBytes();
            row.bytesPerSecond = entry.rate.bytesPerSecond(entry.started.elapsed());
        }
        rows.append(row);
    }
    return rows;
}

void DownloadTracker::cancel(quint32 id)
{
    for (Entry &entry : m_entries) {
        if (entry.id != id || !entry.ending.isEmpty())
            continue;
        if (entry.download)
            entry.download->cancel();
        // Ended here and now, not when the engine reports it: whoever cancelled (leaving the
        // program, above all) counts on the download being over.
        end(entry, State::Cancelled, tr("cancelled"));
        return;
    }
}

void DownloadTracker::clearFinished()
{
    const auto removed
        = m_entries.removeIf([](const Entry &entry) { return !entry.ending.isEmpty(); });
    if (removed > 0)
        Q_EMIT statusTextChanged();
}

void DownloadTracker::endedSeen()
{
    for (Entry &entry : m_entries) {
        if (!entry.ending.isEmpty())
            entry.inStatus = false;
    }
}

QString DownloadTracker::statusText() const
{
    QStringList lines;
    for (const Entry &entry : m_entries) {
        if (!entry.inStatus)
            continue;
        if (!entry.ending.isEmpty()) {
            // A saved page's ending names its files itself.
            lines.append(entry.savedPage && entry.state == State::Finished
                             ? entry.ending
                             : tr("%1: %2").arg(entry.name, entry.ending));
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
        end(entry, State::Finished,
            entry.savedPage ? savedPageText(entry.path)
                            : tr("done, %1").arg(sizeText(download->receivedBytes())));
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        end(entry, State::Cancelled, tr("cancelled"));
        break;
    default: {
        const QString why = failureText(download);
        download->cancel();
        end(entry, State::Failed, why);
        break;
    }
    }
}

void DownloadTracker::end(Entry &entry, State state, const QString &ending)
{
    if (entry.download) {
        entry.received = entry.download->receivedBytes();
        entry.total = entry.download->totalBytes();
    }
    entry.state = state;
    entry.ending = ending;
    if (state != State::Finished)
        removePartialFile(entry);
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
