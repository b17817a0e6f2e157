// What reads the browser window's command table at run time: the connections of menus,
// toolbar, panel buttons and keys, the toolbar dispatcher and the command enabling.

#include "platform/api/platformerror.h"
#include "platform/api/screenpointer.h"
#include "ui/frmwebbrowser.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace Commands;

const Command *Commands::named(CommandTable commands, const char *name)
{
    for (const Command &command : commands) {
        if (qstrcmp(command.name, name) == 0)
            return &command;
    }
    return nullptr;
}

std::vector<Command> Commands::joined(std::initializer_list<CommandTable> tables)
{
    std::vector<Command> rows;
    for (const CommandTable table : tables)
        rows.insert(rows.end(), table.begin(), table.end());
    return rows;
}

namespace {

// The row whose button has the key, compared in upper case; the first such row wins.
const Command *commandForKey(CommandTable commands, const QString &key)
{
    const QString upper = key.toUpper();
    for (const Command &command : commands) {
        if (command.key && upper == QString::fromLatin1(command.key).toUpper())
            return &command;
    }
    return nullptr;
}

// The rows that can be chosen: items, window actions and panel buttons.
bool isChosen(const Command &command)
{
    return command.kind == Kind::Item || command.kind == Kind::CheckItem
        || command.kind == Kind::WindowAction || command.kind == Kind::PanelButton;
}

} // namespace

void frmWebBrowser::connectCommands()
{
    for (const Command &command : commands()) {
        const QString name = QString::fromLatin1(command.name);
        const QByteArray handlerName = QByteArray(command.name) + "_Click";
        // A command chosen by the user starts: the status line of the last one goes.
        const auto run = [this, &command, handlerName] {
            m_guard.user(handlerName.constData(), [&] { runCommand(command); });
        };
        switch (command.kind) {
        case Kind::Menu:
            if (command.handler)
                connect(menuItem(name)->menu(), &QMenu::aboutToShow, this,
                        [this, &command, handlerName] {
                            m_guard.run(handlerName.constData(), [&] { command.handler(); });
                        });
            break;
        case Kind::CheckItem:
            // The handler sets the check mark itself; the mark's own toggle is undone first.
            connect(menuItem(name), &QAction::triggered, this,
                    [item = menuItem(name)] { item->setChecked(!item->isChecked()); });
            connect(menuItem(name), &QAction::triggered, this, run);
            break;
        case Kind::Item:
        case Kind::WindowAction:
            connect(menuItem(name), &QAction::triggered, this, run);
            if (command.kind == Kind::Item && command.shortcut)
                connect(shortcutActions.value(name), &QAction::triggered, this, run);
            break;
        case Kind::PanelButton:
            connect(panelButtons.value(name), &QToolButton::clicked, this, run);
            break;
        case Kind::ItemArray:
            for (int index = 0; index < command.count; ++index) {
                connect(mnuURLHistory[index], &QAction::triggered, this,
                        [this, &command, handlerName, index] {
                            m_guard.user(handlerName.constData(),
                                         [&] { command.indexedHandler(index); });
                        });
            }
            break;
        case Kind::Separator:
            break;
        }
    }

    connect(WebToolbar, &QToolBar::actionTriggered, this, [this](QAction *button) {
        if (!keyedButtons.contains(button->objectName()))
            return;
        m_guard.user("WebToolbar_ButtonClick", [&] { WebToolbar_ButtonClick(button); });
    });
}

void frmWebBrowser::runCommand(const Command &command)
{
    switch (command.route) {
    case Route::Direct:
        command.handler();
        return;
    case Route::ToolbarInBrowserView:
        mnuLinksRestoreWebBrowser_Click();
        [[fallthrough]];
    case Route::Toolbar:
        WebToolbar_ButtonClick(Buttons(QString::fromLatin1(command.key)));
        return;
    }
}

void frmWebBrowser::mnuGoHome_Click()
{
    runCommand(*named(commands(), "mnuGoHome"));
}

void frmWebBrowser::WebToolbar_ButtonClick(QAction *Button)
{
    timer1->start();
    tbrProgress->setValue(90);
    const Command *command = commandForKey(commands(), Button->objectName());
    if (!command)
        return;
    // The dispatcher's own actions (the browser's moves and the mail folders) do nothing
    // visible when they fail: Back with no page before is no news. The commands of the
    // window's other tools fail as they do when their menu item runs them.
    if (command->route == Route::Direct)
        command->handler();
    else
        Failure::skip([&] { command->handler(); });
}

void frmWebBrowser::EnableCommandsProc(bool browserView)
{
    const BusyPointer busy(*m_platform.screenPointer);
    const auto enabledIn
        = [browserView](View view) { return (view == View::Browser) == browserView; };
    const auto switched
        = [](const Command *command) { return command && command->view != View::Always; };
    const CommandTable table = commands();
    for (const Command &command : table) {
        if (command.kind == Kind::Menu && switched(&command))
            menuItem(QString::fromLatin1(command.name))->setEnabled(enabledIn(command.view));
    }
    for (const Command &command : table) {
        if (command.key && switched(&command))
            Buttons(QString::fromLatin1(command.key))->setEnabled(enabledIn(command.view));
    }
    // An item of a switched menu follows its menu; the keys of a command follow its own view.
    for (const Command &command : table) {
        if (!switched(&command))
            continue;
        const QString name = QString::fromLatin1(command.name);
        const bool ownSwitch = command.kind == Kind::WindowAction
            || (isChosen(command) && !switched(named(table, command.menu)));
        if (ownSwitch)
            menuItem(name)->setEnabled(enabledIn(command.view));
        if (QAction *keys = shortcutActions.value(name))
            keys->setEnabled(enabledIn(command.view));
    }
    for (const std::unique_ptr<Feature> &feature : m_features) {
        if (WindowFeature *unit = feature->windowFeature())
            unit->setPageShown(browserView);
    }
}
