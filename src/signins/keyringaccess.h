#pragma once

#include "platform/api/keyring.h"

#include <functional>
#include <memory>
#include <QCoreApplication>
#include <QString>

// The keyring as the sign-ins need it: whether it answers, and whether it is open. A locked
// keyring is asked to open (the desktop shows its own prompt) only when there is a sign-in to
// save or a choice of the user to fill, never for a fill on load. A missing keyring, and the
// user's refusal to open it, are said once and stay said.
class KeyringAccess
{
    Q_DECLARE_TR_FUNCTIONS(KeyringAccess)

public:
    enum class State { Unknown, Open, Locked, Refused, Missing };
    using Work = std::function<void()>;
    // Runs work that the keyring's answer starts, guarded as a handler that Qt calls.
    using Runner = std::function<void(const char *name, const Work &work)>;
    // Shows the keyring's lasting state; "" when there is nothing to say.
    using Tell = std::function<void(const QString &text)>;

    KeyringAccess(std::shared_ptr<Keyring> keyring, Runner guarded, Tell tell);

    Keyring &keyring() const { return *m_keyring; }
    State state() const { return m_state; }

    // Finds out whether the keyring answers and is open, without asking the user.
    void check();
    // Runs then once the keyring is open. A locked keyring is asked to open first, unless the
    // user refused that already and has not asked for this himself (userAsked).
    void whenOpen(bool userAsked, Work then);
    // Runs then only when the keyring is open now; never asks the user.
    void ifOpen(Work then);
    // A read or a write; then runs with its answer when it worked (a read may find nothing).
    // A failure has the keyring looked at again.
    void read(const QString &key, std::function<void(const Keyring::Answer &)> then);
    void store(const QString &key, const QString &secret,
               std::function<void(const Keyring::Answer &)> then);

    // What a list of saved sign-ins says of the keyring, from the answer of Keyring::check;
    // "" when it is open.
    static QString stateText(const Keyring::Answer &checked);

private:
    // The keyring's answer to check, kept; then runs with the state it leaves.
    void checked(const Keyring::Answer &answer);
    void setState(State state);
    // Calls the keyring; its answer is dropped if this object has gone by then.
    void ask(const std::function<void(Keyring::Done)> &call, const char *name,
             std::function<void(const Keyring::Answer &)> then);
    void askChecked(std::function<void(const Keyring::Answer &)> then);
    // Every answer of a read or write passes here: false when it failed.
    bool works(const Keyring::Answer &answer);

    std::shared_ptr<Keyring> m_keyring;
    Runner m_guarded;
    Tell m_tell;
    State m_state = State::Unknown;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
