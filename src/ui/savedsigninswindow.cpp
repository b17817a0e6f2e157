#include "ui/savedsigninswindow.h"

#include "platform/api/keyring.h"
#include "platform/api/platform.h"
#include "signins/keyringaccess.h"

#include <algorithm>
#include <memory>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { SiteColumn, UserColumn, PasswordColumn };

QString hiddenPassword()
{
    return QStringLiteral("\u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022");
}

} // namespace

std::unique_ptr<SavedSignInsWindow> SavedSignInsWindow::make(WindowParts &parts)
{
    return std::make_unique<SavedSignInsWindow>(parts.window, *parts.platform.settings,
                                                *parts.platform.keyring, parts.guarded,
                                                parts.reportAndLeave);
}

SavedSignInsWindow::SavedSignInsWindow(QWidget &window, SettingsStore &settings, Keyring &keyring,
                                       WindowParts::Runner guarded,
                                       WindowParts::Runner reportAndLeave)
    : QWidget(&window, Qt::Window)
    , m_saved(settings)
    , m_keyring(keyring)
    , m_guarded(std::move(guarded))
    , m_reportAndLeave(std::move(reportAndLeave))
    , m_search(new QLineEdit(this))
    , m_list(new QTreeWidget(this))
    , m_show(new QPushButton(tr("&Show password"), this))
    , m_remove(new QPushButton(tr("&Remove"), this))
    , m_removeAll(new QPushButton(tr("Remove &all..."), this))
    , m_state(new QLabel(this))
    , m_keyringState(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSavedSignIns"));
    setWindowTitle(tr("Saved sign-ins"));
    resize(640, 420);
    m_search->setObjectName(QStringLiteral("txtSignInSearch"));
    m_search->setPlaceholderText(tr("Search sites and user names"));
    m_search->setAccessibleName(tr("Search sites and user names"));
    m_search->setClearButtonEnabled(true);
    m_list->setObjectName(QStringLiteral("lstSignIns"));
    m_list->setAccessibleName(tr("Saved sign-ins"));
    m_list->setHeaderLabels({ tr("Site"), tr("User name"), tr("Password") });
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(SiteColumn, QHeaderView::Stretch);
    m_show->setObjectName(QStringLiteral("cmdShowPassword"));
    m_remove->setObjectName(QStringLiteral("cmdRemoveSignIn"));
    m_removeAll->setObjectName(QStringLiteral("cmdRemoveAllSignIns"));
    m_state->setObjectName(QStringLiteral("lblSignInsState"));
    m_state->setWordWrap(true);
    m_keyringState->setObjectName(QStringLiteral("lblKeyringState"));
    m_keyringState->setWordWrap(true);
    m_keyringState->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_keyringState);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_state);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_show);
    buttons->addStretch(1);
    buttons->addWidget(m_remove);
    buttons->addWidget(m_removeAll);
    layout->addLayout(buttons);
    connectParts();
    updateButtons();
}

void SavedSignInsWindow::connectParts()
{
    const auto run = [this](const char *name, void (SavedSignInsWindow::*action)()) {
        return [this, name, action] { m_reportAndLeave(name, [&] { (this->*action)(); }); };
    };
    connect(m_show, &QPushButton::clicked, this,
            run("cmdShowPassword_Click", &SavedSignInsWindow::showPassword));
    connect(m_remove, &QPushButton::clicked, this,
            run("cmdRemoveSignIn_Click", &SavedSignInsWindow::removeSelected));
    connect(m_removeAll, &QPushButton::clicked, this,
            run("cmdRemoveAllSignIns_Click", &SavedSignInsWindow::removeAll));
    connect(m_search, &QLineEdit::textChanged, this,
            run("txtSignInSearch_Change", &SavedSignInsWindow::reload));
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        hidePassword();
        updateButtons();
    });
    m_list->installEventFilter(this);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

// Del in the list removes the sign-in; in the search field it stays a key for the text.
bool SavedSignInsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        m_reportAndLeave("lstSignIns_Delete", [&] { removeSelected(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SavedSignInsWindow::hideEvent(QHideEvent *event)
{
    hidePassword();
    QWidget::hideEvent(event);
}

void SavedSignInsWindow::open()
{
    // Why the list may be empty, or its passwords out of reach: the keyring's state now.
    m_keyring.check([self = QPointer<SavedSignInsWindow>(this)](const Keyring::Answer &answer) {
        if (!self)
            return;
        const QString text = KeyringAccess::stateText(answer);
        self->m_keyringState->setText(text);
        self->m_keyringState->setVisible(!text.isEmpty());
    });
    reload();
    show();
    raise();
    activateWindow();
    m_search->setFocus();
}

QString SavedSignInsWindow::stateText() const
{
    return m_state->text();
}

QString SavedSignInsWindow::keyringText() const
{
    return m_keyringState->text();
}

void SavedSignInsWindow::reload()
{
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : 0;
    hidePassword();
    const QList<SavedSignIns::Entry> entries = m_saved.matching(m_search->text());
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const SavedSignIns::Entry &entry : entries)
        new QTreeWidgetItem(m_list, { entry.origin, entry.userName, hiddenPassword() });
    // The row where the removed sign-in stood, so that Del goes on from the keyboard.
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(
            m_list->topLevelItem(std::min(row, m_list->topLevelItemCount() - 1)));
    updateButtons();
}

std::optional<SavedSignIns::Entry> SavedSignInsWindow::selected() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item)
        return std::nullopt;
    return SavedSignIns::Entry { item->text(SiteColumn), item->text(UserColumn) };
}

void SavedSignInsWindow::hidePassword()
{
    ++m_readTicket;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        m_list->topLevelItem(row)->setText(PasswordColumn, hiddenPassword());
    m_show->setText(tr("&Show password"));
}

void SavedSignInsWindow::updateButtons()
{
    const bool idle = m_pending == 0;
    m_show->setEnabled(selected().has_value());
    m_remove->setEnabled(idle && selected().has_value());
    m_removeAll->setEnabled(idle && m_list->topLevelItemCount() > 0);
}

void SavedSignInsWindow::showPassword()
{
    QTreeWidgetItem *item = m_list->currentItem();
    const std::optional<SavedSignIns::Entry> entry = selected();
    if (!entry)
        return;
    // The button hides what it has shown.
    if (item->text(PasswordColumn) != hiddenPassword()) {
        hidePassword();
        return;
    }
    const quint64 ticket = ++m_readTicket;
    m_keyring.read(
        SavedSignIns::keyringKey(*entry),
        [self = QPointer<SavedSignInsWindow>(this), ticket, item](const Keyring::Answer &answer) {
            // The window has gone, or the user has moved on: the answer is dropped.
            if (!self || ticket != self->m_readTicket)
                return;
            self->m_guarded("cmdShowPassword_Answer", [&] {
                if (answer.ok) {
                    item->setText(PasswordColumn, answer.secret);
                    self->m_show->setText(tr("&Hide password"));
                    self->m_state->clear();
                } else if (answer.missing) {
                    self->m_state->setText(tr("The keyring holds no password for this sign-in."));
                } else {
                    self->m_state->setText(
                        tr("The keyring did not give the password: %1").arg(answer.error));
                }
            });
        });
}

void SavedSignInsWindow::remove(const SavedSignIns::Entry &entry,
                                std::function<void(const QString &)> done)
{
    m_keyring.remove(
        SavedSignIns::keyringKey(entry),
        [self = QPointer<SavedSignInsWindow>(this), entry, done](const Keyring::Answer &answer) {
            if (!self)
                return;
            --self->m_pending;
            // A password already gone from the keyring is an answer too.
            const bool gone = answer.ok || answer.missing;
            if (gone)
                self->m_guarded("cmdRemoveSignIn_Answer", [&] { self->m_saved.remove(entry); });
            self->m_guarded("cmdRemoveSignIn_Answer",
                            [&] { done(gone ? QString() : answer.error); });
            if (self)
                self->updateButtons();
        });
    ++m_pending;
    updateButtons();
}

void SavedSignInsWindow::removeSelected()
{
    const std::optional<SavedSignIns::Entry> entry = selected();
    if (!entry || m_pending > 0)
        return;
    m_state->clear();
    remove(*entry, [this, entry = *entry](const QString &error) {
        if (!error.isEmpty())
            m_state->setText(tr("The keyring refused to remove the password of %1 at %2, so "
                                "the sign-in is kept: %3")
                                 .arg(entry.userName, entry.origin, error));
        reload();
    });
}

void SavedSignInsWindow::removeAll()
{
    const QList<SavedSignIns::Entry> entries = m_saved.all();
    if (entries.isEmpty() || m_pending > 0 || !m_askRemoveAll(this, int(entries.size())))
        return;
    m_state->clear();
    struct Tally
    {
        qsizetype left = 0;
        QStringList errors;
    };
    auto tally = std::make_shared<Tally>(Tally { entries.size(), {} });
    for (const SavedSignIns::Entry &entry : entries) {
        remove(entry, [this, tally](const QString &error) {
            if (!error.isEmpty())
                tally->errors.append(error);
            if (--tally->left > 0)
                return;
            if (!tally->errors.isEmpty())
                m_state->setText(
                    tally->errors.size() == 1
                        ? tr("The keyring refused to remove 1 password, so its sign-in is "
                             "kept: %1")
                              .arg(tally->errors.constFirst())
                        : tr("The keyring refused to remove %1 passwords, so their sign-ins "
                             "are kept: %2")
                              .arg(QString::number(tally->errors.size()),
                                   tally->errors.constFirst()));
            reload();
        });
    }
}

bool SavedSignInsWindow::askRemoveAll(QWidget *parent, int count)
{
    return QMessageBox::question(
               parent, tr("Saved sign-ins"),
               count == 1 ? tr("Remove the saved sign-in and its password?")
                          : tr("Remove all %1 saved sign-ins and their passwords?").arg(count))
        == QMessageBox::Yes;
}

Commands::Rows<SavedSignInsWindow> SavedSignInsWindow::commands()
{
    using namespace Commands;
    static constexpr Row<SavedSignInsWindow> rows[] = {
        keys<SavedSignInsWindow>(
            "actSavedSignIns", QT_TRANSLATE_NOOP("frmWebBrowser", "Saved sign-ins..."),
            "Ctrl+Shift+P", [](SavedSignInsWindow &unit) { unit.open(); }, View::Always, true),
    };
    return rows;
}
