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
        // Set by check when the keyring answers but is locked: reading or writing a secret
        // would make the desktop ask for the keyring's password first.
        bool locked = false;
    };
    using Done = std::function<void(const Answer &)>;

    virtual ~Keyring() = default;

    virtual void store(const QString &key, const QString &secret, Done done) = 0;
    virtual void read(const QString &key, Done done) = 0;
    // Removing a key that is not there is not an error.
    virtual void remove(const QString &key, Done done) = 0;
    // Whether the keyring answers (ok) and whether it is locked; never asks the user.
    virtual void check(Done done) = 0;
    // Opens a locked keyring: the desktop asks the user for its password in a prompt of its
    // own. Not ok when the user refused or the keyring does not answer; ok at once when it is
    // open already.
    virtual void unlock(Done done) = 0;
};
