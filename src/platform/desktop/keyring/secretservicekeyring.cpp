#include "platform/desktop/keyring/secretservicekeyring.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>
#include <qt6keychain/keychain.h>
#include <QTimer>
#include <utility>

namespace {

// A key nothing is ever saved under: reading it tells whether the keyring answers at all,
// and finds nothing to unlock, so it never makes the desktop ask for the keyring's password.
const QString ProbeKey = QStringLiteral("keyring check");

const QString SecretService = QStringLiteral("org.freedesktop.secrets");
const QString ServicePath = QStringLiteral("/org/freedesktop/secrets");
const QString ServiceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QString PromptInterface = QStringLiteral("org.freedesktop.Secret.Prompt");
// The longest the desktop's prompt is waited for before the keyring counts as still locked.
constexpr int PromptWaitMs = 10 * 60 * 1000;

// Without the fallback turned off, QtKeychain would write the secret to a settings file when
// no Secret Service answers.
template<typename JobType> JobType *newJob(const QString &service, const QString &key)
{
    auto *job = new JobType(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    return job;
}

template<typename JobType, typename Read>
void finish(JobType *job, Keyring::Done done, Read readSecret)
{
    QObject::connect(job, &QKeychain::Job::finished, job,
                     [job, done = std::move(done), readSecret] {
                         Keyring::Answer answer;
                         answer.ok = job->error() == QKeychain::NoError;
                         answer.missing = job->error() == QKeychain::EntryNotFound;
                         if (answer.ok)
                             answer.secret = readSecret(job);
                         else if (!answer.missing)
                             answer.error = job->errorString();
                         if (done)
                             done(answer);
                     });
    job->start();
}

QDBusMessage serviceCall(const QString &method)
{
    return QDBusMessage::createMethodCall(SecretService, ServicePath, ServiceInterface, method);
}

// Sends a call on the session bus; then gets its reply, or the error's text.
void callThen(const QDBusMessage &call,
              std::function<void(const QDBusMessage &reply, const QString &error)> then)
{
    QDBusPendingCallWatcher *watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [then = std::move(then)](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         const QDBusMessage reply = finished->reply();
                         then(reply,
                              reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage()
                                                                         : QString());
                     });
}

// The collection where new secrets go; "/" when there is none yet, or when the desktop's
// keyring is not a Secret Service (QtKeychain then reaches it its own way).
void defaultCollection(std::function<void(const QString &path, const QString &error)> then)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(SecretService)) {
        then(QStringLiteral("/"), QString());
        return;
    }
    QDBusMessage call = serviceCall(QStringLiteral("ReadAlias"));
    call << QStringLiteral("default");
    callThen(call, [then = std::move(then)](const QDBusMessage &reply, const QString &error) {
        if (!error.isEmpty() || reply.arguments().isEmpty()) {
            then(QString(), error.isEmpty() ? QStringLiteral("no answer") : error);
            return;
        }
        then(qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path(), QString());
    });
}

} // namespace

// Waits for the end of the desktop's prompt.
class SecretPrompt final : public QObject
{
    Q_OBJECT

public:
    SecretPrompt(const QString &path, Keyring::Done done)
        : m_path(path)
        , m_done(std::move(done))
    {
        QDBusConnection::sessionBus().connect(SecretService, m_path, PromptInterface,
                                              QStringLiteral("Completed"), this,
                                              SLOT(completed(bool, QDBusVariant)));
        QTimer::singleShot(PromptWaitMs, this, [this] { end(false); });
        QDBusMessage prompt = QDBusMessage::createMethodCall(SecretService, m_path, PromptInterface,
                                                             QStringLiteral("Prompt"));
        // No window of ours to stand in front of: the desktop places its prompt itself.
        prompt << QString();
        callThen(prompt, [self = QPointer(this)](const QDBusMessage &, const QString &error) {
            if (self && !error.isEmpty())
                self->end(false);
        });
    }

private Q_SLOTS:
    void completed(bool dismissed, const QDBusVariant &) { end(!dismissed); }

private:
    void end(bool unlocked)
    {
        if (!m_done)
            return;
        Keyring::Answer answer;
        answer.ok = unlocked;
        answer.locked = !unlocked;
        if (!unlocked)
            answer.error = QCoreApplication::translate("SecretServiceKeyring",
                                                       "The keyring was not unlocked.");
        const Keyring::Done done = std::exchange(m_done, nullptr);
        deleteLater();
        done(answer);
    }

    QString m_path;
    Keyring::Done m_done;
};

SecretServiceKeyring::SecretServiceKeyring(QString service)
    : m_service(std::move(service))
{
}

void SecretServiceKeyring::store(const QString &key, const QString &secret, Done done)
{
    auto *job = newJob<QKeychain::WritePasswordJob>(m_service, key);
    job->setTextData(secret);
    finish(job, std::move(done), [](QKeychain::WritePasswordJob *) { return QString(); });
}

void SecretServiceKeyring::read(const QString &key, Done done)
{
    auto *job = newJob<QKeychain::ReadPasswordJob>(m_service, key);
    finish(job, std::move(done), [](QKeychain::ReadPasswordJob *j) { return j->textData(); });
}

void SecretServiceKeyring::remove(const QString &key, Done done)
{
    auto *job = newJob<QKeychain::DeletePasswordJob>(m_service, key);
    finish(
        job,
        [done = std::move(done)](const Answer &answer) {
            Answer removed = answer;
            // A key already gone is what the caller wanted.
            if (removed.missing) {
                removed.ok = true;
                removed.missing = false;
            }
            if (done)
                done(removed);
        },
        [](QKeychain::DeletePasswordJob *) { return QString(); });
}

void SecretServiceKeyring::check(Done done)
{
    read(ProbeKey, [done = std::move(done)](const Answer &probe) {
        if (!probe.ok && !probe.missing) {
            done(probe);
            return;
        }
        defaultCollection([done](const QString &path, const QString &error) {
            if (!error.isEmpty()) {
                done(Answer { false, false, {}, error, false });
                return;
            }
            if (path == QLatin1String("/")) {
                done(Answer { true, false, {}, {}, false });
                return;
            }
            QDBusMessage get = QDBusMessage::createMethodCall(
                SecretService, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("Get"));
            get << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
            callThen(get, [done](const QDBusMessage &reply, const QString &error) {
                if (!error.isEmpty() || reply.arguments().isEmpty()) {
                    done(Answer { false, false, {}, error, false });
                    return;
                }
                const bool locked = qvariant_cast<QDBusVariant>(reply.arguments().constFirst())
                                        .variant()
                                        .toBool();
                done(Answer { true, false, {}, {}, locked });
            });
        });
    });
}

void SecretServiceKeyring::unlock(Done done)
{
    defaultCollection([done = std::move(done)](const QString &path, const QString &error) {
        if (!error.isEmpty()) {
            done(Answer { false, false, {}, error, false });
            return;
        }
        if (path == QLatin1String("/")) {
            done(Answer { true, false, {}, {}, false });
            return;
        }
        QDBusMessage call = serviceCall(QStringLiteral("Unlock"));
        call << QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(path) });
        callThen(call, [done, path](const QDBusMessage &reply, const QString &error) {
            if (!error.isEmpty() || reply.arguments().size() < 2) {
                done(Answer { false, false, {}, error, true });
                return;
            }
            const QString prompt = qvariant_cast<QDBusObjectPath>(reply.arguments().at(1)).path();
            if (prompt == QLatin1String("/")) {
                done(Answer { true, false, {}, {}, false });
                return;
            }
            // Ends itself once the prompt has been answered.
            new SecretPrompt(prompt, done);
        });
    });
}

#include "secretservicekeyring.moc"
