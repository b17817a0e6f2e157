#include "signins/keyringaccess.h"

KeyringAccess::KeyringAccess(std::shared_ptr<Keyring> keyring, Runner guarded, Tell tell)
    : m_keyring(std::move(keyring))
    , m_guarded(std::move(guarded))
    , m_tell(std::move(tell))
{
}

void KeyringAccess::ask(const std::function<void(Keyring::Done)> &call, const char *name,
                        std::function<void(const Keyring::Answer &)> then)
{
    call([this, alive = std::weak_ptr(m_alive), name,
          then = std::move(then)](const Keyring::Answer &answer) {
        if (alive.expired())
            return;
        m_guarded(name, [&] { then(answer); });
    });
}

void KeyringAccess::askChecked(std::function<void(const Keyring::Answer &)> then)
{
    ask([this](Keyring::Done done) { m_keyring->check(std::move(done)); }, "signIns_KeyringChecked",
        std::move(then));
}

void KeyringAccess::check()
{
    if (m_state == State::Missing)
        return;
    askChecked([this](const Keyring::Answer &answer) { checked(answer); });
}

void KeyringAccess::checked(const Keyring::Answer &answer)
{
    if (!answer.ok)
        setState(State::Missing);
    else if (!answer.locked)
        setState(State::Open);
    // A refusal stands until the keyring opens.
    else if (m_state != State::Refused)
        setState(State::Locked);
}

void KeyringAccess::whenOpen(bool userAsked, Work then)
{
    if (m_state == State::Missing)
        return;
    askChecked([this, userAsked, then = std::move(then)](const Keyring::Answer &answer) {
        checked(answer);
        if (m_state == State::Open) {
            then();
            return;
        }
        if (m_state == State::Missing || (m_state == State::Refused && !userAsked))
            return;
        ask([this](Keyring::Done done) { m_keyring->unlock(std::move(done)); },
            "signIns_KeyringUnlocked",
            [this, then](const Keyring::Answer &unlocked) {
                if (!unlocked.ok) {
                    setState(unlocked.locked ? State::Refused : State::Missing);
                    return;
                }
                setState(State::Open);
                then();
            });
    });
}

void KeyringAccess::ifOpen(Work then)
{
    if (m_state == State::Missing)
        return;
    askChecked([this, then = std::move(then)](const Keyring::Answer &answer) {
        checked(answer);
        if (m_state == State::Open)
            then();
    });
}

void KeyringAccess::read(const QString &key, std::function<void(const Keyring::Answer &)> then)
{
    ask([this, key](Keyring::Done done) { m_keyring->read(key, std::move(done)); },
        "signIns_KeyringRead",
        [this, then = std::move(then)](const Keyring::Answer &answer) {
            if (works(answer))
                then(answer);
        });
}

void KeyringAccess::store(const QString &key, const QString &secret,
                          std::function<void(const Keyring::Answer &)> then)
{
    ask([this, key, secret](Keyring::Done done) { m_keyring->store(key, secret, std::move(done)); },
        "signIns_KeyringStored",
        [this, then = std::move(then)](const Keyring::Answer &answer) {
            if (works(answer))
                then(answer);
        });
}

bool KeyringAccess::works(const Keyring::Answer &answer)
{
    if (answer.ok || answer.missing)
        return true;
    // Missing, or locked again since: the keyring says which.
    check();
    return false;
}

void KeyringAccess::setState(State state)
{
    if (state == m_state)
        return;
    const State before = std::exchange(m_state, state);
    if (state == State::Missing)
        m_tell(tr("Sign-ins cannot be saved: the desktop's keyring is not available."));
    else if (state == State::Refused)
        m_tell(tr("Sign-ins are not saved or filled: the desktop's keyring stays locked."));
    else if (before == State::Refused || before == State::Missing)
        m_tell(QString());
}

QString KeyringAccess::stateText(const Keyring::Answer &checked)
{
    if (!checked.ok)
        return tr("The desktop's keyring is not available: no password can be saved, filled or "
                  "shown.");
    if (checked.locked)
        return tr("The desktop's keyring is locked: it asks for its own password before a "
                  "password is saved, filled or shown.");
    return QString();
}
