#pragma once

#include "import/browsersources.h"
#include "import/passwordimport.h"
#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QDialog>

class KeyringAccess;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class SettingsStore;

// Import and export of favorites and sign-ins, a window of its own. It lists the browsers
// found in the home folder, each ticked, with what it holds; Enter imports the ticked ones.
// Reading and merging run on a thread of their own, so the window keeps answering; the
// favorites file is replaced in one step. Sign-ins go to the keyring as saved sign-ins do.
class ImportWindow final : public QDialog
{
    Q_OBJECT

public:
    static Commands::Rows<ImportWindow> commands();
    // A window of its own over the browser window; the browsers are looked for in the home
    // folder, sign-ins go to the desktop's keyring.
    static std::unique_ptr<ImportWindow> make(WindowParts &parts);

    struct Services
    {
        QString home; // where the other browsers are looked for
        QString favoritesPath; // Favorites.txt
        KeyringAccess *keyring = nullptr; // opened (with the desktop's prompt) before saving
        SettingsStore *settings = nullptr; // the saved sign-ins' list
        // Runs after the favorites file changed, to show the new list.
        std::function<void()> favoritesChanged;
        // The file to import, or to export to; "" when the user cancelled. By default the
        // desktop's file dialogs.
        std::function<QString(QWidget *parent)> chooseImportFile;
        std::function<QString(QWidget *parent)> chooseExportFile;
        // Whether to replace the saved passwords of sign-ins the file has others for, and
        // whether to delete the passwords file afterwards. By default a question box.
        std::function<bool(QWidget *parent, qsizetype conflicts)> askReplace;
        std::function<bool(QWidget *parent, const QString &file)> askDeleteFile;
    };

    ImportWindow(Services services, QWidget *parent = nullptr);
    ~ImportWindow() override;

    // Shows the window in front and looks for browsers anew.
    void open() override;

    // The questions the window asks, in place of its question boxes.
    void setAskReplace(std::function<bool(QWidget *, qsizetype)> ask)
    {
        m_services.askReplace = std::move(ask);
    }
    void setAskDeleteFile(std::function<bool(QWidget *, const QString &)> ask)
    {
        m_services.askDeleteFile = std::move(ask);
    }

    QListWidget *sources() const { return m_sources; }
    // What the last import or export did.
    QString report() const;
    bool busy() const;

    // Imports the ticked browsers, or a bookmarks HTML or passwords CSV file.
    void importTicked();
    void importFile(const QString &path);
    void exportFavorites(const QString &path);

private:
    void setBusy(bool busy, const QString &status);
    // Runs work on a thread of its own, then done here, unless the window has gone.
    void runOff(std::function<void()> work, std::function<void()> done);
    void mergeAddresses(QStringList addresses, qsizetype notWeb, QString notes);
    void importPasswords(const QString &path);
    void passwordsSorted(const QString &path, const Import::PasswordImporter::Sorted &sorted);
    void passwordsSaved(const QString &path, const Import::PasswordImporter::Sorted &sorted,
                        const Import::PasswordImporter::Saved &saved);
    void finish(const QString &report);
    // The progress bar: done of total, or busy without a measure when total is 0.
    void showProgress(qsizetype done, qsizetype total);

    Services m_services;
    // The keyring as the window reaches it, when the window made its own.
    std::unique_ptr<KeyringAccess> m_keyringAccess;
    QList<Import::BrowserSource> m_found;
    QList<Import::BookmarksRead> m_read;
    std::unique_ptr<Import::PasswordImporter> m_passwords;
    // What the passwords file held that was not imported, one sentence each.
    QStringList m_passwordsSkipped;
    QThread *m_worker = nullptr;

    QListWidget *m_sources;
    QPushButton *m_import;
    QPushButton *m_fromFile;
    QPushButton *m_export;
    QPushButton *m_close;
    QProgressBar *m_progress;
    QLabel *m_status;
};
