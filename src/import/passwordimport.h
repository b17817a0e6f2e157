#pragma once

#include "import/passwordscsv.h"
#include "platform/api/keyring.h"

#include <functional>
#include <memory>
#include <optional>
#include <QCoreApplication>

class SettingsStore;

namespace Import {

enum class PasswordFate {
    New, // no sign-in is saved for this site and user name
    Same, // one is, with this password: nothing to do
    Conflict, // one is, with another password: replaced only when the user says so
};

// storedPassword: the keyring's secret for a saved sign-in of the site and user name, or
// nothing when none is saved.
PasswordFate passwordFate(const std::optional<QString> &storedPassword,
                          const QString &importedPassword);

// Imported sign-ins go where saved sign-ins go: the password to the desktop's keyring under
// the saved sign-ins' key, and the site and user name to the saved sign-ins' list once the
// keyring holds it. Never to a file of ours. The keyring answers later, so each step ends in a
// callback; callbacks of a sorter that has gone are dropped. The keyring should be open
// (KeyringAccess::whenOpen) before either step starts.
class PasswordImporter
{
    Q_DECLARE_TR_FUNCTIONS(PasswordImporter)

public:
    struct Sorted
    {
        QList<PasswordRow> fresh; // saved for no one yet
        qsizetype same = 0;
        QList<PasswordRow> conflicts; // to ask the user about
        QString error; // the keyring failed; what is sorted so far is kept
    };
    struct Saved
    {
        qsizetype saved = 0;
        QString error; // the keyring failed; the rows after the failing one were not saved
    };
    // How far a step is: rows done of all.
    using Progress = std::function<void(qsizetype done, qsizetype total)>;

    PasswordImporter(Keyring &keyring, SettingsStore &store);

    // Looks up each row's site and user name among the saved sign-ins.
    void sort(QList<PasswordRow> rows, Progress progress, std::function<void(Sorted)> done);
    // Saves the rows, replacing the passwords of those saved already.
    void save(QList<PasswordRow> rows, Progress progress, std::function<void(Saved)> done);

    // "Saved 12 sign-ins (3 were already saved)", and what is left to ask or failed.
    static QString report(const Sorted &sorted, const Saved &saved);

private:
    struct Sorting;
    struct Saving;
    void sortNext(std::shared_ptr<Sorting> sorting);
    void saveNext(std::shared_ptr<Saving> saving);

    Keyring &m_keyring;
    SettingsStore &m_store;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace Import
