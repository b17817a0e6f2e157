#include "platform/desktop/keyring/secretservicekeyring.h"

#include <qt6keychain/keychain.h>

namespace {

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

} // namespace

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
