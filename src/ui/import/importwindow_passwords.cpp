// The import of a passwords file into the desktop's keyring.

#include "import/passwordscsv.h"
#include "signins/keyringaccess.h"
#include "ui/import/importwindow.h"

#include <QDir>
#include <QFile>

void ImportWindow::importPasswords(const QString &path)
{
    setBusy(true, tr("Reading %1...").arg(QDir::toNativeSeparators(path)));
    auto read = std::make_shared<Import::PasswordsRead>();
    runOff([read, path] { *read = Import::readPasswordsCsv(path); },
           [this, read, path] {
               if (!read->ok()) {
                   finish(read->error);
                   return;
               }
               m_passwordsSkipped.clear();
               if (read->notWeb > 0)
                   m_passwordsSkipped.append(
                       tr("%1 rows were skipped: their addresses are not web addresses.")
                           .arg(read->notWeb));
               if (read->damaged > 0)
                   m_passwordsSkipped.append(
                       tr("%1 rows were skipped: they lack a field or the password.")
                           .arg(read->damaged));
               if (read->repeated > 0)
                   m_passwordsSkipped.append(
                       tr("%1 rows were skipped: they repeat a site and user name listed before.")
                           .arg(read->repeated));
               if (!m_services.keyring || !m_services.settings) {
                   finish(tr("Sign-ins cannot be saved: the desktop's keyring is not available."));
                   return;
               }
               m_passwords = std::make_unique<Import::PasswordImporter>(
                   m_services.keyring->keyring(), *m_services.settings);
               // The desktop may ask for the keyring's password; if it stays locked the
               // keyring's own notice says so, and the window is free again.
               setBusy(false, tr("Waiting for the desktop's keyring..."));
               m_services.keyring->whenOpen(true, [this, rows = read->rows, path] {
                   setBusy(true, tr("Saving sign-ins..."));
                   m_passwords->sort(
                       rows, [this](qsizetype done, qsizetype total) { showProgress(done, total); },
                       [this, path](Import::PasswordImporter::Sorted sorted) {
                           passwordsSorted(path, sorted);
                       });
               });
           });
}

void ImportWindow::passwordsSorted(const QString &path,
                                   const Import::PasswordImporter::Sorted &sorted)
{
    QList<Import::PasswordRow> toSave = sorted.fresh;
    const bool replace
        = !sorted.conflicts.isEmpty() && m_services.askReplace(this, sorted.conflicts.size());
    if (replace)
        toSave += sorted.conflicts;
    m_passwords->save(
        toSave, [this](qsizetype done, qsizetype total) { showProgress(done, total); },
        [this, path, sorted, replace](Import::PasswordImporter::Saved saved) {
            Import::PasswordImporter::Sorted shown = sorted;
            if (replace)
                shown.conflicts.clear();
            passwordsSaved(path, shown, saved);
        });
}

void ImportWindow::passwordsSaved(const QString &path,
                                  const Import::PasswordImporter::Sorted &sorted,
                                  const Import::PasswordImporter::Saved &saved)
{
    QStringList sentences { Import::PasswordImporter::report(sorted, saved) };
    if (!sorted.conflicts.isEmpty())
        sentences.append(tr("%1 kept the password saved before.").arg(sorted.conflicts.size()));
    sentences += m_passwordsSkipped;
    for (QString &sentence : sentences) {
        if (!sentence.endsWith(QLatin1Char('.')))
            sentence += QLatin1Char('.');
    }
    setBusy(false, sentences.join(QLatin1Char(' ')));
    // While the keyring has not taken every password, the file is their only copy.
    const bool allTaken = sorted.error.isEmpty() && saved.error.isEmpty();
    if (allTaken && m_services.askDeleteFile(this, path)) {
        QFile file(path);
        sentences.append(
            file.remove()
                ? tr("The passwords file was deleted.")
                : tr("The passwords file could not be deleted: %1").arg(file.errorString()));
    }
    finish(sentences.join(QLatin1Char(' ')));
}
