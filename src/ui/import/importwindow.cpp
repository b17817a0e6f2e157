#include "ui/import/importwindow.h"

#include "favorites/favoritesfile.h"
#include "import/bookmarkshtml.h"
#include "import/favoritesimport.h"
#include "platform/api/platform.h"
#include "platform/api/platformerror.h"
#include "platform/api/spacetrim.h"
#include "signins/keyringaccess.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

QString defaultImportFile(QWidget *parent)
{
    return QFileDialog::getOpenFileName(
        parent, ImportWindow::tr("Import bookmarks or passwords"), QDir::homePath(),
        ImportWindow::tr("Bookmarks or passwords (*.html *.htm *.csv);;All files (*)"));
}

QString defaultExportFile(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, ImportWindow::tr("Export favorites"),
                                        QDir::home().filePath(QStringLiteral("bookmarks.html")),
                                        ImportWindow::tr("Bookmarks (*.html)"));
}

bool defaultAskReplace(QWidget *parent, qsizetype conflicts)
{
    return QMessageBox::question(
               parent, ImportWindow::tr("Saved sign-ins"),
               ImportWindow::tr("%1 sign-ins in the file are saved already with another "
                                "password. Replace the saved passwords with those of the file?")
                   .arg(conflicts))
        == QMessageBox::Yes;
}

bool defaultAskDeleteFile(QWidget *parent, const QString &file)
{
    return QMessageBox::question(parent, ImportWindow::tr("Passwords file"),
                                 ImportWindow::tr("%1 holds your passwords in clear text, which "
                                                  "any program can read. Delete it now?")
                                     .arg(QDir::toNativeSeparators(file)))
        == QMessageBox::Yes;
}

// The favorites file's content; a missing file is an empty list.
QByteArray favoritesBytes(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    return Favorites::readFavoritesFile(path);
}

} // namespace

std::unique_ptr<ImportWindow> ImportWindow::make(WindowParts &parts)
{
    Services services;
    services.home = QDir::homePath();
    // Made at its first use, once the window knows where its favorites are kept.
    services.favoritesPath = parts.favorites.path();
    services.settings = parts.platform.settings.get();
    services.favoritesChanged = parts.favorites.reread;
    auto window = std::make_unique<ImportWindow>(std::move(services), &parts.window);
    if (parts.platform.keyring) {
        // A keyring that is missing, locked or refused says so in the window.
        window->m_keyringAccess
            = std::make_unique<KeyringAccess>(parts.platform.keyring, parts.guarded,
                                              [status = window->m_status](const QString &text) {
                                                  if (!text.isEmpty())
                                                      status->setText(text);
                                              });
        window->m_services.keyring = window->m_keyringAccess.get();
    }
    return window;
}

Commands::Rows<ImportWindow> ImportWindow::commands()
{
    using namespace Commands;
    static constexpr Row<ImportWindow> rows[] = {
        keys<ImportWindow>(
            "actImportExport", QT_TRANSLATE_NOOP("frmWebBrowser", "Import and export..."),
            "Ctrl+Shift+O", [](ImportWindow &unit) { unit.open(); }, View::Always, true),
    };
    return rows;
}

ImportWindow::ImportWindow(Services services, QWidget *parent)
    : QDialog(parent)
    , m_services(std::move(services))
    , m_sources(new QListWidget(this))
    , m_import(new QPushButton(tr("&Import"), this))
    , m_fromFile(new QPushButton(tr("From a &file..."), this))
    , m_export(new QPushButton(tr("&Export favorites..."), this))
    , m_close(new QPushButton(tr("&Close"), this))
    , m_progress(new QProgressBar(this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(tr("Import and export"));
    if (!m_services.chooseImportFile)
        m_services.chooseImportFile = defaultImportFile;
    if (!m_services.chooseExportFile)
        m_services.chooseExportFile = defaultExportFile;
    if (!m_services.askReplace)
        m_services.askReplace = defaultAskReplace;
    if (!m_services.askDeleteFile)
        m_services.askDeleteFile = defaultAskDeleteFile;

    auto *found = new QLabel(tr("&Browsers found in your home folder:"), this);
    found->setBuddy(m_sources);
    m_sources->setAccessibleName(tr("Browsers found"));
    m_import->setAccessibleName(tr("Import from the ticked browsers"));
    m_fromFile->setAccessibleName(tr("Import from a bookmarks or passwords file"));
    m_export->setAccessibleName(tr("Export favorites to a bookmarks file"));
    m_close->setAccessibleName(tr("Close"));
    m_progress->setAccessibleName(tr("Progress"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_status->setAccessibleName(tr("What was done"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_import->setDefault(true);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_import, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_fromFile, QDialogButtonBox::ActionRole);
    buttons->addButton(m_export, QDialogButtonBox::ActionRole);
    buttons->addButton(m_close, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(found);
    layout->addWidget(m_sources);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    resize(520, 360);

    connect(m_import, &QPushButton::clicked, this, &ImportWindow::importTicked);
    connect(m_fromFile, &QPushButton::clicked, this, [this] {
        const QString path = m_services.chooseImportFile(this);
        if (!path.isEmpty())
            importFile(path);
    });
    connect(m_export, &QPushButton::clicked, this, [this] {
        const QString path = m_services.chooseExportFile(this);
        if (!path.isEmpty())
            exportFavorites(path);
    });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

ImportWindow::~ImportWindow()
{
    // The thread's work refers to nothing of the window, but must end before the program does.
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

QString ImportWindow::report() const
{
    return m_status->text();
}

bool ImportWindow::busy() const
{
    return m_worker != nullptr;
}

void ImportWindow::showProgress(qsizetype done, qsizetype total)
{
    m_progress->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
    m_progress->setValue(int(std::min<qsizetype>(done, INT_MAX)));
}

void ImportWindow::setBusy(bool busy, const QString &status)
{
    m_progress->setRange(0, 0);
    m_progress->setVisible(busy);
    m_import->setEnabled(!busy);
    m_fromFile->setEnabled(!busy);
    m_export->setEnabled(!busy);
    m_status->setText(status);
}

void ImportWindow::runOff(std::function<void()> work, std::function<void()> done)
{
    m_worker = QThread::create(std::move(work));
    connect(m_worker, &QThread::finished, this, [this, done = std::move(done)] {
        m_worker->deleteLater();
        m_worker = nullptr;
        done();
    });
    m_worker->start();
}

void ImportWindow::open()
{
    show();
    raise();
    activateWindow();
    if (busy())
        return;
    m_sources->clear();
    setBusy(true, tr("Looking for other browsers..."));
    struct Found
    {
        QList<Import::BrowserSource> sources;
        QList<Import::BookmarksRead> read;
    };
    auto found = std::make_shared<Found>();
    runOff(
        [this, found, home = m_services.home] {
            found->sources = Import::findBrowsers(home);
            const qsizetype total = found->sources.size();
            for (const Import::BrowserSource &source : std::as_const(found->sources)) {
                // The window waits for this thread before it goes, so the call finds it.
                QMetaObject::invokeMethod(
                    this, [this, done = found->read.size(), total] { showProgress(done, total); },
                    Qt::QueuedConnection);
                found->read.append(Import::readSource(source));
            }
        },
        [this, found] {
            m_found = found->sources;
            m_read = found->read;
            for (qsizetype i = 0; i < m_found.size(); ++i) {
                auto *item = new QListWidgetItem(Import::describe(m_found[i], m_read[i]));
                item->setCheckState(
                    m_read[i].ok() && !m_read[i].bookmarks.isEmpty() ? Qt::Checked : Qt::Unchecked);
                if (!m_read[i].ok())
                    item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
                m_sources->addItem(item);
            }
            if (m_sources->count() > 0)
                m_sources->setCurrentRow(0);
            setBusy(false,
                    m_found.isEmpty() ? tr("No other browser was found in your home folder.")
                                      : QString());
            m_sources->setFocus();
        });
}

void ImportWindow::importTicked()
{
    if (busy())
        return;
    QStringList addresses;
    qsizetype notWeb = 0;
    bool ticked = false;
    for (int i = 0; i < m_sources->count() && i < m_read.size(); ++i) {
        if (m_sources->item(i)->checkState() != Qt::Checked)
            continue;
        ticked = true;
        for (const Import::Bookmark &bookmark : std::as_const(m_read[i].bookmarks))
            addresses.append(bookmark.url);
        notWeb += m_read[i].notWeb;
    }
    if (!ticked) {
        m_status->setText(tr("Tick a browser to import from, or choose From a file..."));
        return;
    }
    mergeAddresses(std::move(addresses), notWeb, QString());
}

void ImportWindow::mergeAddresses(QStringList addresses, qsizetype notWeb, QString notes)
{
    setBusy(true, tr("Importing favorites..."));
    struct Merged
    {
        QStringList addresses;
        QByteArray read;
        Import::FavoritesMerge merge;
        QString error;
    };
    auto merged = std::make_shared<Merged>();
    merged->addresses = std::move(addresses);
    runOff(
        [merged, path = m_services.favoritesPath] {
            try {
                merged->read = favoritesBytes(path);
                merged->merge = Import::mergeFavorites(merged->read, merged->addresses);
            } catch (const PlatformError &error) {
                merged->error = error.description();
            }
        },
        [this, merged, notWeb, notes] {
            // The file is written here, on the window's thread, where the browser window's
            // own adds are made: one made while the merge ran is merged again, not lost.
            if (merged->error.isEmpty() && merged->merge.imported > 0) {
                try {
                    const QString path = m_services.favoritesPath;
                    const QByteArray now = favoritesBytes(path);
                    if (now != merged->read)
                        merged->merge = Import::mergeFavorites(now, merged->addresses);
                    if (merged->merge.imported > 0)
                        Favorites::writeFavoritesFile(path, merged->merge.fileBytes);
                } catch (const PlatformError &error) {
                    merged->error = error.description();
                }
            }
            if (!merged->error.isEmpty()) {
                finish(merged->error);
                return;
            }
            if (merged->merge.imported > 0 && m_services.favoritesChanged)
                m_services.favoritesChanged();
            QString report = Import::importReport(merged->merge, notWeb);
            if (!notes.isEmpty())
                report += QLatin1Char(' ') + notes;
            finish(report);
        });
}

void ImportWindow::importFile(const QString &path)
{
    if (busy())
        return;
    if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        importPasswords(path);
        return;
    }
    setBusy(true, tr("Reading %1...").arg(QDir::toNativeSeparators(path)));
    auto read = std::make_shared<Import::BookmarksRead>();
    runOff([read, path] { *read = Import::readBookmarksHtml(path); },
           [this, read] {
               if (!read->ok()) {
                   finish(read->error);
                   return;
               }
               QStringList addresses;
               for (const Import::Bookmark &bookmark : std::as_const(read->bookmarks))
                   addresses.append(bookmark.url);
               mergeAddresses(std::move(addresses), read->notWeb, read->note);
           });
}

void ImportWindow::exportFavorites(const QString &path)
{
    if (busy())
        return;
    setBusy(true, tr("Exporting favorites..."));
    auto result = std::make_shared<std::pair<qsizetype, QString>>();
    runOff(
        [result, path, favorites = m_services.favoritesPath] {
            try {
                QStringList addresses;
                for (const Favorites::FavoriteEntry &entry :
                     Favorites::readEntries(favoritesBytes(favorites)))
                    addresses.append(trimSpaces(entry.text));
                QString error;
                if (Import::exportFavorites(path, addresses, &error))
                    result->first = addresses.size();
                else
                    result->second = error;
            } catch (const PlatformError &error) {
                result->second = error.description();
            }
        },
        [this, result, path] {
            finish(result->second.isEmpty() ? tr("Exported %1 favorites to %2")
                                                  .arg(result->first)
                                                  .arg(QDir::toNativeSeparators(path))
                                            : result->second);
        });
}

void ImportWindow::finish(const QString &report)
{
    setBusy(false, report);
}
