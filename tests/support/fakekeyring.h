#pragma once

#include "platform/api/keyring.h"

#include <QHash>
#include <QTimer>

// A keyring in memory that answers on the next turn of the event loop, as the real one does;
// one that is not available refuses every call.
class FakeKeyring final : public Keyring
{
public:
    bool available = true;
    QHash<QString, QString> secrets;

    void store(const QString &key, const QString &secret, Done done) override
    {
        answerLater(std::move(done), [=, this] {
            secrets.insert(key, secret);
            return Answer { true, false, {}, {} };
        });
    }
    void read(const QString &key, Done done) override
    {
        answerLater(std::move(done), [=, this] {
            const auto found = secrets.constFind(key);
            return found == secrets.cend() ? Answer { false, true, {}, {} }
                                           : Answer { true, false, *found, {} };
        });
    }
    void remove(const QString &key, Done done) override
    {
        answerLater(std::move(done), [=, this] {
            secrets.remove(key);
            return Answer { true, false, {}, {} };
        });
    }

private:
    // Answers still pending when the keyring goes are never given.
    QObject m_context;

    template<typename Work> void answerLater(Done done, Work work)
    {
        QTimer::singleShot(0, &m_context, [this, done = std::move(done), work] {
            const Answer answer
                = available ? work() : Answer { false, false, {}, QStringLiteral("no keyring") };
            if (done)
                done(answer);
        });
    }
};
