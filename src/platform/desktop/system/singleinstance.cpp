#include "platform/desktop/system/singleinstance.h"

#include <cerrno>
#include <fcntl.h>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcInstance, "kestrav.instance", QtWarningMsg)

const QByteArray Request = "forward\n";
const QByteArray Reply = "forwarded\n";
// A request is one short line; anything longer is not ours.
constexpr qint64 RequestLimit = 64;
// How often a later start looks again while the running copy's socket is not there yet.
constexpr int RetryMs = 25;

// The profile folder as the file system knows it, so that a path through a link names the
// same profile. The part that does not exist yet is kept as written.
QString canonicalFolder(const QString &folder)
{
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        rest.prepend(existing.mid(slash));
        existing = slash > 0 ? existing.left(slash) : QDir::rootPath();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return (canonical.isEmpty() ? existing : canonical) + rest;
}

// Whether only this user can reach into the folder, and so reach a socket made in it.
bool isPrivate(const QString &folder)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::geteuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The lock's and socket's path without their ending: in the user's runtime folder, named
// from the profile; empty without a runtime folder that is the user's alone.
QString baseFor(const QString &profileFolder)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty() || !isPrivate(runtime))
        return {};
    const QByteArray digest = QCryptographicHash::hash(canonicalFolder(profileFolder).toUtf8(),
                                                       QCryptographicHash::Sha256);
    return runtime + QStringLiteral("/kestrav-") + QString::fromLatin1(digest.toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString &profileFolder, QObject *parent)
    : QObject(parent)
    , m_base(baseFor(profileFolder))
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: a start in between finds the lock held, no socket,
    // and looks again until the lock is free.
    delete m_server;
    m_server = nullptr;
    releaseLock();
}

QString SingleInstance::lockPath() const
{
    return m_base.isEmpty() ? QString() : m_base + QStringLiteral(".lock");
}

QString SingleInstance::socketPath() const
{
    return m_base.isEmpty() ? QString() : m_base + QStringLiteral(".socket");
}

SingleInstance::Start SingleInstance::start(std::chrono::milliseconds answerWait)
{
    if (m_base.isEmpty()) {
        qCWarning(lcInstance, "no private runtime folder: another copy may run on this profile");
        return Start::First;
    }
    const QDeadlineTimer deadline(answerWait);
    for (;;) {
        const Lock lock = takeLock();
        if (lock == Lock::Taken) {
            // Without the socket a later start could only be refused: it runs unguarded.
            if (!serve())
                releaseLock();
            return Start::First;
        }
        if (lock == Lock::Unavailable)
            return Start::First;
        if (askRunningCopy(int(deadline.remainingTime())) == Asked::Answered)
            return Start::HandedOver;
        // No socket yet (the copy is starting), or gone (the copy is ending): look again.
        if (deadline.hasExpired())
            return Start::NotAnswering;
        QThread::msleep(RetryMs);
    }
}

QString SingleInstance::notAnsweringMessage()
{
    return tr("Kestrav is already running on this profile and is not answering. Wait for it "
              "to answer, or end it, and start Kestrav again.");
}

SingleInstance::Lock SingleInstance::takeLock()
{
    // The file is never removed, so two starts always lock the same file; its content only
    // tells a person which process holds it.
    const int file = ::open(QFile::encodeName(lockPath()).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    const int error = file < 0 || ::flock(file, LOCK_EX | LOCK_NB) != 0 ? errno : 0;
    if (error != 0) {
        if (file >= 0)
            ::close(file);
        if (error == EWOULDBLOCK)
            return Lock::Held;
        qCWarning(lcInstance, "cannot lock %s (%s): another copy may run on this profile",
                  qUtf8Printable(lockPath()), qUtf8Printable(qt_error_string(error)));
        return Lock::Unavailable;
    }
    const QByteArray holder = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(file, 0) != 0 || ::write(file, holder.constData(), size_t(holder.size())) < 0)
        qCWarning(lcInstance, "cannot note the holder in %s", qUtf8Printable(lockPath()));
    m_lockFile = file;
    return Lock::Taken;
}

void SingleInstance::releaseLock()
{
    if (m_lockFile < 0)
        return;
    // Emptied while still held, so that it never names a process that no longer holds it.
    [[maybe_unused]] const int emptied = ::ftruncate(m_lockFile, 0);
    ::close(m_lockFile);
    m_lockFile = -1;
}

SingleInstance::Asked SingleInstance::askRunningCopy(int waitMs) const
{
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return Asked::NoAnswer;
    socket.write(Request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return Asked::NoAnswer;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return Asked::NoAnswer;
    }
    return socket.readLine(RequestLimit) == Reply ? Asked::Answered : Asked::NoAnswer;
}

bool SingleInstance::serve()
{
    // No other user reaches the socket: its folder is this user's alone.
    auto *server = new QLocalServer(this);
    // A socket left by a copy that was killed: the lock says it is ours now.
    QLocalServer::removeServer(socketPath());
    if (!server->listen(socketPath())) {
        qCWarning(lcInstance, "cannot serve %s: %s", qUtf8Printable(socketPath()),
                  qUtf8Printable(server->errorString()));
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never finishes its request is not kept.
        QTimer::singleShot(AnswerWait, socket, &QLocalSocket::abort);
        const auto read = [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > RequestLimit)
                    socket->abort();
                return;
            }
            if (socket->readLine(RequestLimit) != Request) {
                socket->abort();
                return;
            }
            qCInfo(lcInstance, "another start asked this copy to come forward");
            emit forwardRequested();
            socket->write(Reply);
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        // The request may have come before the connection was taken.
        if (socket->bytesAvailable() > 0)
            read();
    }
}
