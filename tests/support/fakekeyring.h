#pragma once

#include "platform/api/keyring.h"

#include <QHash>
#include <QTimer>

// A keyring in memory that answers on the next turn of the event loop, as the real one does;
// one that is not available refuses every call. A locked one asks its user (unlockAgreed) to
// open before it reads or writes, as the desktop's prompt does.
class FakeKeyring final : public Keyring
{
public:
    bool available = true;
    bool locked = false;
    bool unlockAgreed = true;
    // How often the user was asked to unlock.
    int unlockAsked = 0;
    QHash<QString, QString> secrets;

    void store(const QString &key, const QString &secret, Done done) override
    {
        answerLater(std::move(done), true, [=, this] {
            secrets.insert(key, secret);
            return Answer { true, false, {}, {} };
        });
    }
    // A key that is not there needs no unlocking to be found missing.
    void read(const QString &key, Done done) override
    {
        answerLater(std::move(done), secrets.contains(key), [=, this] {
            const auto found = secrets.constFind(key);
            return found == secrets.cend() ? Answer { false, true, {}, {} }
                                           : Answer { true, false, *found, {} };
        });
    }
    void remove(const QString &key, Done done) override
    {
        answerLater(std::move(done), true, [=, this] {
            secrets.remove(key);
            return Answer { true, false, {}, {} };
        });
    }
    void check(Done done) override
    {
        answerLater(std::move(done), false, [this] {
            return Answer { true, false, {}, {}, locked };
        });
    }
    void unlock(Done done) override
    {
        answerLater(std::move(done), true, [] { return Answer { true, false, {}, {}, false }; });
    }

private:
    // Answers still pending when the keyring goes are never given.
    QObject m_context;

    // opens: whether the call needs the keyring open, and so asks a locked one to open.
    template<typename Work> void answerLater(Done done, bool opens, Work work)
    {
        QTimer::singleShot(0, &m_context, [this, done = std::move(done), opens, work] {
            Answer answer;
            if (!available) {
                answer = Answer { false, false, {}, QStringLiteral("no keyring") };
            } else if (opens && locked) {
                ++unlockAsked;
                locked = !unlockAgreed;
                answer = locked ? Answer { false, false, {}, QStringLiteral("not unlocked"), true }
                                : work();
            } else {
                answer = work();
            }
            if (done)
                done(answer);
        });
    }
};
