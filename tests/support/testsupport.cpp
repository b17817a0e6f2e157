#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStorageInfo>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif
#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

HermeticHome::HermeticHome()
{
    if (!m_home.isValid())
        qFatal("no temporary folder for the test's home");
    const QDir home(m_home.path());
    const auto point = [&](const char *variable, const QString &folder) {
        home.mkpath(folder);
        qputenv(variable, QFile::encodeName(home.filePath(folder)));
    };
    point("HOME", QStringLiteral("."));
    point("XDG_CONFIG_HOME", QStringLiteral(".config"));
    point("XDG_DATA_HOME", QStringLiteral(".local/share"));
    point("XDG_CACHE_HOME", QStringLiteral(".cache"));
    point("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QImage solidPicture(const QSize &size, const QColor &colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString pdfWords(const QString &path)
{
    QProcess extractor;
    extractor.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    if (!extractor.waitForFinished(30000) || extractor.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(extractor.errorString());
    return QString::fromUtf8(extractor.readAllStandardOutput()).simplified();
}

std::optional<PlatformError> failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const PlatformError &error) {
        return error;
    }
    return std::nullopt;
}

int failureNumber(const std::function<void()> &operation)
{
    const std::optional<PlatformError> error = failureOf(operation);
    return error ? error->number() : 0;
}

bool waitFor(QSignalSpy &spy, int count, int timeoutMs)
{
    while (spy.count() < count) {
        if (!spy.wait(timeoutMs))
            return false;
    }
    return true;
}

QByteArray htmlPage(const QByteArray &title, const QByteArray &body)
{
    const QByteArray head = title.isEmpty() ? "" : "<title>" + title + "</title>";
    return "<!DOCTYPE html><html><head>" + head + "</head><body>" + body + "</body></html>";
}

bool withFileSizeLimit(qint64 bytes, const std::function<void()> &work)
{
#ifdef Q_OS_UNIX
    rlimit saved {};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return false;
    // The limit's signal would end the process; the write must fail instead.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(bytes);
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    });
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
        return false;
    work();
    return true;
#else
    Q_UNUSED(bytes);
    Q_UNUSED(work);
    return false;
#endif
}

bool withFilePermissions(const std::function<void()> &work)
{
#ifdef Q_OS_LINUX
    // Root passes every permission check through two capabilities; without them in the
    // effective set of this thread, a file's mode applies to root as to anyone.
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct saved[2] {};
    if (syscall(SYS_capget, &header, saved) != 0)
        return false;
    __user_cap_data_struct limited[2] = { saved[0], saved[1] };
    limited[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    if (syscall(SYS_capset, &header, limited) != 0)
        return false;
    const auto restore = qScopeGuard([&] { syscall(SYS_capset, &header, saved); });
    work();
    return true;
#else
    work();
    return true;
#endif
}

TestSandbox::TestSandbox()
{
    // Belt and braces: even a test that forgot the hermetic main stays out of the user's
    // real folders.
    QStandardPaths::setTestModeEnabled(true);
}

SmallDisk::SmallDisk(qint64 bytes, const QString &folder)
    : m_path(folder.isEmpty() ? m_folder.path() : folder)
{
#ifdef Q_OS_LINUX
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, options.constData())
        != 0) {
        m_refusal = QStringLiteral("a small disk cannot be mounted here (%1); it needs root")
                        .arg(QString::fromLocal8Bit(strerror(errno)));
    }
#else
    Q_UNUSED(bytes);
    m_refusal = QStringLiteral("a small disk is mounted only on Linux");
#endif
}

SmallDisk::~SmallDisk()
{
#ifdef Q_OS_LINUX
    // Lazily: a process the test started may still hold a file open there.
    if (m_refusal.isEmpty())
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
#endif
}

QString SmallDisk::fillerPath() const
{
    return m_path + QStringLiteral("/.filler");
}

bool SmallDisk::fill(qint64 bytes)
{
    free();
    const qint64 taken = bytesAvailable() - bytes;
    if (taken <= 0)
        return taken == 0;
    QFile filler(fillerPath());
    return filler.open(QIODevice::WriteOnly)
        && ::posix_fallocate(filler.handle(), 0, off_t(taken)) == 0;
}

void SmallDisk::free()
{
    QFile::remove(fillerPath());
}

qint64 SmallDisk::bytesAvailable() const
{
    return QStorageInfo(m_path).bytesAvailable();
}
