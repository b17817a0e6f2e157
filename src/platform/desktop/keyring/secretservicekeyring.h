#pragma once

#include "platform/api/keyring.h"

// The keyring through QtKeychain, held to the Secret Service: when none answers, every call
// fails instead of writing the secret anywhere else.
class SecretServiceKeyring final : public Keyring
{
public:
    explicit SecretServiceKeyring(QString service);

    void store(const QString &key, const QString &secret, Done done) override;
    void read(const QString &key, Done done) override;
    void remove(const QString &key, Done done) override;
    // A locked Secret Service is asked over D-Bus, where QtKeychain has no word for it.
    void check(Done done) override;
    void unlock(Done done) override;

private:
    QString m_service;
};
