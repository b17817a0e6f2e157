#pragma once

#include <functional>
#include <QString>

// The desktop's store of secrets. Every call answers once, later, through its callback; a
// caller that may be gone by then guards its callback itself.
class Keyring
{
public:
    struct Answer
    {
        bool ok = false;
        // Set by read when the keyring works but holds nothing under the key.
        bool missing = false;
        QString secret;
        // Why the keyring refused, for the status line; never holds the secret.
        QString error;
    };
    using Done = std::function<void(const Answer &)>;

    virtual ~Keyring() = default;

    virtual void store(const QString &key, const QString &secret, Done done) = 0;
    virtual void read(const QString &key, Done done) = 0;
    // Removing a key that is not there is not an error.
    virtual void remove(const QString &key, Done done) = 0;
};
