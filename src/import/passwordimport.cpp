#include "import/passwordimport.h"

#include "platform/api/platformerror.h"
#include "signins/savedsignins.h"
#include "signins/signinrules.h"

namespace Import {

PasswordFate passwordFate(const std::optional<QString> &storedPassword,
                          const QString &importedPassword)
{
    // The same rule that decides what a submitted password deserves.
    switch (SignInRules::offerFor(false, storedPassword, importedPassword)) {
    case SignInRules::Offer::Save:
        return PasswordFate::New;
    case SignInRules::Offer::Update:
        return PasswordFate::Conflict;
    case SignInRules::Offer::Nothing:
        break;
    }
    return PasswordFate::Same;
}

struct PasswordImporter::Sorting
{
    QList<PasswordRow> rows;
    qsizetype next = 0;
    Sorted sorted;
    Progress progress;
    std::function<void(Sorted)> done;
};

struct PasswordImporter::Saving
{
    QList<PasswordRow> rows;
    qsizetype next = 0;
    Saved saved;
    Progress progress;
    std::function<void(Saved)> done;
};

PasswordImporter::PasswordImporter(Keyring &keyring, SettingsStore &store)
    : m_keyring(keyring)
    , m_store(store)
{
}

void PasswordImporter::sort(QList<PasswordRow> rows, Progress progress,
                            std::function<void(Sorted)> done)
{
    auto sorting = std::make_shared<Sorting>();
    sorting->rows = std::move(rows);
    sorting->progress = std::move(progress);
    sorting->done = std::move(done);
    sortNext(std::move(sorting));
}

void PasswordImporter::sortNext(std::shared_ptr<Sorting> sorting)
{
    const SavedSignIns saved(m_store);
    // Rows nobody saved need no keyring: they are sorted at once.
    while (sorting->next < sorting->rows.size()) {
        const PasswordRow &row = sorting->rows.at(sorting->next);
        if (saved.contains({ row.origin, row.userName }))
            break;
        sorting->sorted.fresh.append(row);
        ++sorting->next;
    }
    if (sorting->progress)
        sorting->progress(sorting->next, sorting->rows.size());
    if (sorting->next == sorting->rows.size()) {
        sorting->done(std::move(sorting->sorted));
        return;
    }
    const PasswordRow row = sorting->rows.at(sorting->next);
    m_keyring.read(
        SavedSignIns::keyringKey({ row.origin, row.userName }),
        [this, alive = std::weak_ptr(m_alive), sorting, row](const Keyring::Answer &answer) {
            if (alive.expired())
                return;
            if (!answer.ok && !answer.missing) {
                sorting->sorted.error = answer.error;
                sorting->done(std::move(sorting->sorted));
                return;
            }
            // Listed but not in the keyring: the password went; save it again.
            const auto stored = answer.ok ? std::optional(answer.secret) : std::nullopt;
            switch (passwordFate(stored, row.password)) {
            case PasswordFate::New:
                sorting->sorted.fresh.append(row);
                break;
            case PasswordFate::Same:
                ++sorting->sorted.same;
                break;
            case PasswordFate::Conflict:
                sorting->sorted.conflicts.append(row);
                break;
            }
            ++sorting->next;
            sortNext(sorting);
        });
}

void PasswordImporter::save(QList<PasswordRow> rows, Progress progress,
                            std::function<void(Saved)> done)
{
    auto saving = std::make_shared<Saving>();
    saving->rows = std::move(rows);
    saving->progress = std::move(progress);
    saving->done = std::move(done);
    saveNext(std::move(saving));
}

void PasswordImporter::saveNext(std::shared_ptr<Saving> saving)
{
    if (saving->progress)
        saving->progress(saving->next, saving->rows.size());
    if (saving->next == saving->rows.size()) {
        saving->done(std::move(saving->saved));
        return;
    }
    const PasswordRow row = saving->rows.at(saving->next);
    const SavedSignIns::Entry entry { row.origin, row.userName };
    // As a saved sign-in: the site and user name are kept only once the keyring holds the
    // password.
    m_keyring.store(
        SavedSignIns::keyringKey(entry), row.password,
        [this, alive = std::weak_ptr(m_alive), saving, entry](const Keyring::Answer &answer) {
            if (alive.expired())
                return;
            if (!answer.ok) {
                saving->saved.error = answer.error;
                saving->done(std::move(saving->saved));
                return;
            }
            try {
                SavedSignIns saved(m_store);
                if (!saved.contains(entry))
                    saved.add(entry);
            } catch (const PlatformError &error) {
                // The keyring holds the password; the list of sign-ins could not
                // take it, and says why.
                saving->saved.error = error.description();
                saving->done(std::move(saving->saved));
                return;
            }
            ++saving->saved.saved;
            ++saving->next;
            saveNext(saving);
        });
}

QString PasswordImporter::report(const Sorted &sorted, const Saved &saved)
{
    QString text
        = tr("Saved %1 sign-ins (%2 were already saved)").arg(saved.saved).arg(sorted.same);
    if (!sorted.error.isEmpty() || !saved.error.isEmpty())
        text += QLatin1String(". ")
            + tr("The rest were not saved: %1")
                  .arg(saved.error.isEmpty() ? sorted.error : saved.error);
    return text;
}

} // namespace Import
