// The browser window's command table, and what reads it at run time: the connections of
// menus, toolbar and window actions, the toolbar dispatcher and the command enabling.

#include "frmwebbrowser.h"
#include "platformerror.h"
#include "screenpointer.h"

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>

using namespace Commands;

namespace {

constexpr Command menu(const char *name, const char *caption, View view = View::Always,
                       Handler opens = nullptr)
{
    return { .kind = Kind::Menu, .name = name, .caption = caption, .handler = opens, .view = view };
}

constexpr Command separator(const char *name, const char *inMenu)
{
    return { .kind = Kind::Separator, .name = name, .caption = "-", .menu = inMenu };
}

// The rows that can be chosen: items and window actions.
bool isChosen(const Command &command)
{
    return command.kind == Kind::Item || command.kind == Kind::CheckItem
        || command.kind == Kind::WindowAction;
}

} // namespace

CommandTable frmWebBrowser::commands()
{
    // Menus and items in menu order; the toolbar shows the buttons in the same order.
    static constexpr Command table[] = {
        menu("mnuGo", QT_TR_NOOP("&Go"), View::Browser),
        { .name = "mnuGoBack",
          .caption = QT_TR_NOOP("&Back"),
          .menu = "mnuGo",
          .key = "tbrBack",
          .buttonCaption = QT_TR_NOOP("Back"),
          .toolTip = QT_TR_NOOP("Back"),
          .handler = &frmWebBrowser::goBack,
          .route = Route::Toolbar,
          .view = View::Browser },
        { .name = "mnuGoForward",
          .caption = QT_TR_NOOP("&Forward"),
          .menu = "mnuGo",
          .key = "tbrForward",
          .toolTip = QT_TR_NOOP("Forward"),
          .handler = &frmWebBrowser::goForward,
          .route = Route::Toolbar,
          .view = View::Browser },
        separator("mnuGosep1", "mnuGo"),
        { .name = "mnuGoStop",
          .caption = QT_TR_NOOP("&Stop"),
          .menu = "mnuGo",
          .key = "tbrStop",
          .toolTip = QT_TR_NOOP("Stop"),
          .handler = &frmWebBrowser::stopLoading,
          .route = Route::Toolbar,
          .view = View::Browser },
        { .name = "mnuGoRefresh",
          .caption = QT_TR_NOOP("&Refresh"),
          .menu = "mnuGo",
          .key = "tbrRefresh",
          .toolTip = QT_TR_NOOP("Refresh"),
          .handler = &frmWebBrowser::refreshPage,
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser },
        separator("mnuGosep2", "mnuGo"),
        { .name = "mnuGoHome",
          .caption = QT_TR_NOOP("&Home"),
          .menu = "mnuGo",
          .key = "tbrHome",
          .toolTip = QT_TR_NOOP("Home"),
          .endsGroup = true,
          .handler = &frmWebBrowser::goHome,
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser },
        separator("mnuGosep3", "mnuGo"),
        { .name = "mnuGoExit",
          .caption = QT_TR_NOOP("&Exist"),
          .menu = "mnuGo",
          .handler = &frmWebBrowser::mnuGoExit_Click,
          .view = View::Browser },

        menu("mnuFile", QT_TR_NOOP("&File"), View::Browser),
        { .name = "mnuFileSearch",
          .caption = QT_TR_NOOP("&Search"),
          .menu = "mnuFile",
          .key = "tbrSearch",
          .toolTip = QT_TR_NOOP("Search"),
          .handler = &frmWebBrowser::goSearch,
          .route = Route::Toolbar,
          .view = View::Browser },
        separator("mnuFileSep1", "mnuFile"),
        { .name = "mnuFileFavoritesList",
          .caption = QT_TR_NOOP("&Favorites list"),
          .menu = "mnuFile",
          .key = "tbrFavoritesList",
          .toolTip = QT_TR_NOOP("Display Favorites List"),
          .endsGroup = true,
          .handler = &frmWebBrowser::mnuFileFavoritesList_Click,
          .view = View::Browser },
        // The recent addresses follow this separator.
        separator("mnuFileSep2", "mnuFile"),

        menu("mnuOptions", QT_TR_NOOP("&Options"), View::Always, &frmWebBrowser::mnuOptions_Click),
        { .kind = Kind::CheckItem,
          .name = "mnuOptionsToolbar",
          .caption = QT_TR_NOOP("&Toolbar"),
          .menu = "mnuOptions",
          .handler = &frmWebBrowser::mnuOptionsToolbar_Click },
        { .kind = Kind::CheckItem,
          .name = "mnuOptionsStatusbar",
          .caption = QT_TR_NOOP("&Statusbar"),
          .menu = "mnuOptions",
          .handler = &frmWebBrowser::mnuOptionsStatusbar_Click },

        menu("mnuCopy", QT_TR_NOOP("&Copy"), View::Browser),
        { .name = "mnuCopyPrintDesktop",
          .caption = QT_TR_NOOP("&Print desktop"),
          .menu = "mnuCopy",
          .key = "tbrPrintDesktop",
          .toolTip = QT_TR_NOOP("Print desktop"),
          .handler = &frmWebBrowser::mnuCopyPrintDesktop_Click,
          .view = View::Browser },
        separator("mnuCopysep1", "mnuCopy"),
        { .name = "mnuCopyCapDeskTop",
          .caption = QT_TR_NOOP("&Capture desktop to file direct"),
          .menu = "mnuCopy",
          .key = "tbrCapDesktop",
          .toolTip = QT_TR_NOOP("Capture desktop to file directly"),
          .endsGroup = true,
          .handler = &frmWebBrowser::mnuCopyCapDeskTop_Click,
          .view = View::Browser },
        separator("mnuCopysep2", "mnuCopy"),
        { .name = "mnuCopySaveDesktopFromClip",
          .caption = QT_TR_NOOP("Save &desktop  from clipboard (PrnScreen first)"),
          .menu = "mnuCopy",
          .handler = &frmWebBrowser::mnuCopySaveDesktopFromClip_Click,
          .view = View::Browser },
        { .name = "mnuCopySaveTextFromClip",
          .caption = QT_TR_NOOP("Save screen &text"),
          .menu = "mnuCopy",
          .handler = &frmWebBrowser::mnuCopySaveTextFromClip_Click,
          .view = View::Browser },

        menu("mnuMail", QT_TR_NOOP("&Mail")),
        { .name = "mnuMailInbox",
          .caption = QT_TR_NOOP("&Inbox"),
          .menu = "mnuMail",
          .key = "tbrInbox",
          .toolTip = QT_TR_NOOP("Mail Inbox"),
          .handler = &frmWebBrowser::openInbox,
          .route = Route::Toolbar },
        { .name = "mnuMailOutbox",
          .caption = QT_TR_NOOP("&Outbox"),
          .menu = "mnuMail",
          .key = "tbrOutbox",
          .toolTip = QT_TR_NOOP("Mail Outbox"),
          .handler = &frmWebBrowser::openOutbox,
          .route = Route::Toolbar },
        { .name = "mnuMailContacts",
          .caption = QT_TR_NOOP("&Contacts"),
          .menu = "mnuMail",
          .key = "tbrContacts",
          .toolTip = QT_TR_NOOP("Contacts"),
          .endsGroup = true,
          .handler = &frmWebBrowser::openContacts,
          .route = Route::Toolbar },

        menu("mnuLinks", QT_TR_NOOP("&Links")),
        { .name = "mnuLinksDisplayCurrHTMLDoc",
          .caption = QT_TR_NOOP("Dispaly &current HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrDisplayCurrHTMLDoc",
          .toolTip = QT_TR_NOOP("Display current HTML document"),
          .handler = &frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click },
        separator("mnuLinksep1", "mnuLinks"),
        { .name = "mnuLinksListLinks",
          .caption = QT_TR_NOOP("&List links"),
          .menu = "mnuLinks",
          .key = "tbrListLinks",
          .toolTip = QT_TR_NOOP("List links"),
          .handler = &frmWebBrowser::mnuLinksListLinks_Click },
        { .name = "mnuLinksDisplayLinkHTMLDoc",
          .caption = QT_TR_NOOP("&Dispaly Link HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrDisplayLinkHTMLDoc",
          .toolTip = QT_TR_NOOP("Display link HTML document"),
          .handler = &frmWebBrowser::mnuLinksDisplayLinkHTMLDoc_Click },
        separator("mnuLinksep2", "mnuLinks"),
        { .name = "mnuLinksPrintHTMLdoc",
          .caption = QT_TR_NOOP("&Print HTML doc (highlighted or all)"),
          .menu = "mnuLinks",
          .key = "tbrPrintHTMLDoc",
          .toolTip = QT_TR_NOOP("Print displayed HTML doc (highlighted or all)"),
          .handler = &frmWebBrowser::mnuLinksPrintHTMLdoc_Click,
          .view = View::Source },
        { .name = "mnuLinksSaveHTMLdoc",
          .caption = QT_TR_NOOP("&Save HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrSaveHTMLDoc",
          .toolTip = QT_TR_NOOP("Save displayed HTML document"),
          .handler = &frmWebBrowser::mnuLinksSaveHTMLdoc_Click,
          .view = View::Source },
        separator("mnuLinksep3", "mnuLinks"),
        { .name = "mnuLinksRestoreWebBrowser",
          .caption = QT_TR_NOOP("&Restore web browser"),
          .menu = "mnuLinks",
          .key = "tbrRestoreWebBrowser",
          .toolTip = QT_TR_NOOP("Restore web browser"),
          .endsGroup = true,
          .handler = &frmWebBrowser::mnuLinksRestoreWebBrowser_Click },

        // Commands of the window alone, reached by their shortcuts.
        { .kind = Kind::WindowAction,
          .name = "actAddress",
          .caption = QT_TR_NOOP("Address box"),
          .handler = &frmWebBrowser::focusAddressBox,
          .shortcut = "Ctrl+L; Alt+D; F6" },
        { .kind = Kind::WindowAction,
          .name = "actRefresh",
          .caption = QT_TR_NOOP("Refresh"),
          .handler = &frmWebBrowser::refreshPage,
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser,
          .shortcut = "F5; Ctrl+R" },
        // Enabled only while there is a load to stop or a find bar to close.
        { .kind = Kind::WindowAction,
          .name = "actStop",
          .caption = QT_TR_NOOP("Stop"),
          .handler = &frmWebBrowser::pressEscape,
          .shortcut = "Esc" },
        { .kind = Kind::WindowAction,
          .name = "actBack",
          .caption = QT_TR_NOOP("Back"),
          .handler = &frmWebBrowser::goBack,
          .route = Route::Toolbar,
          .view = View::Browser,
          .shortcut = "Alt+Left" },
        { .kind = Kind::WindowAction,
          .name = "actForward",
          .caption = QT_TR_NOOP("Forward"),
          .handler = &frmWebBrowser::goForward,
          .route = Route::Toolbar,
          .view = View::Browser,
          .shortcut = "Alt+Right" },
        { .kind = Kind::WindowAction,
          .name = "actHome",
          .caption = QT_TR_NOOP("Home"),
          .handler = &frmWebBrowser::goHome,
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser,
          .shortcut = "Alt+Home" },
        { .kind = Kind::WindowAction,
          .name = "actSource",
          .caption = QT_TR_NOOP("Page source"),
          .handler = &frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click,
          .shortcut = "Ctrl+U" },
        { .kind = Kind::WindowAction,
          .name = "actFullScreen",
          .caption = QT_TR_NOOP("Full screen"),
          .handler = &frmWebBrowser::toggleFullScreen,
          .shortcut = "F11" },
        { .kind = Kind::WindowAction,
          .name = "actFind",
          .caption = QT_TR_NOOP("Find..."),
          .handler = &frmWebBrowser::showFindBar,
          .shortcut = "Ctrl+F",
          .inPageMenu = true },
        { .kind = Kind::WindowAction,
          .name = "actFindNext",
          .caption = QT_TR_NOOP("Find next"),
          .handler = &frmWebBrowser::findNext,
          .shortcut = "F3" },
        { .kind = Kind::WindowAction,
          .name = "actFindPrevious",
          .caption = QT_TR_NOOP("Find previous"),
          .handler = &frmWebBrowser::findPrevious,
          .shortcut = "Shift+F3" },
        { .kind = Kind::WindowAction,
          .name = "actZoomIn",
          .caption = QT_TR_NOOP("Zoom in"),
          .handler = &frmWebBrowser::zoomIn,
          .shortcut = "Ctrl++; Ctrl+=; Ctrl+Num++" },
        { .kind = Kind::WindowAction,
          .name = "actZoomOut",
          .caption = QT_TR_NOOP("Zoom out"),
          .handler = &frmWebBrowser::zoomOut,
          .shortcut = "Ctrl+-; Ctrl+Num+-" },
        { .kind = Kind::WindowAction,
          .name = "actZoomReset",
          .caption = QT_TR_NOOP("Actual size"),
          .handler = &frmWebBrowser::zoomReset,
          .shortcut = "Ctrl+0; Ctrl+Num+0" },
        { .kind = Kind::WindowAction,
          .name = "actPrintPage",
          .caption = QT_TR_NOOP("Print page..."),
          .handler = &frmWebBrowser::printPage,
          .view = View::Browser,
          .shortcut = "Ctrl+P",
          .inPageMenu = true },
        { .kind = Kind::WindowAction,
          .name = "actInspect",
          .caption = QT_TR_NOOP("Inspect"),
          .handler = &frmWebBrowser::showInspector,
          .view = View::Browser,
          .shortcut = "F12; Ctrl+Shift+I",
          .inPageMenu = true },
        { .kind = Kind::WindowAction,
          .name = "actAllowAds",
          .caption = QT_TR_NOOP("Allow ads on this site"),
          .handler = &frmWebBrowser::allowAdsOnSite,
          .view = View::Browser,
          .shortcut = "Ctrl+Shift+A",
          .inPageMenu = true },
        { .kind = Kind::WindowAction,
          .name = "actBlocking",
          .caption = QT_TR_NOOP("Block ads and trackers"),
          .handler = &frmWebBrowser::toggleBlocking,
          .shortcut = "Ctrl+Shift+B",
          .inPageMenu = true },
        { .kind = Kind::WindowAction,
          .name = "actUpdateFilters",
          .caption = QT_TR_NOOP("Update filter lists"),
          .handler = &frmWebBrowser::updateFilterLists,
          .shortcut = "Ctrl+Shift+U" },
    };
    return table;
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

// The key of the button that a toolbar-routed command passes: its own, or that of the
// command whose button runs the same handler.
const char *passedKey(CommandTable commands, const Command &command)
{
    if (command.key)
        return command.key;
    for (const Command &other : commands) {
        if (other.key && other.handler == command.handler)
            return other.key;
    }
    return "";
}

const Command *commandNamed(CommandTable commands, const char *name)
{
    for (const Command &command : commands) {
        if (qstrcmp(command.name, name) == 0)
            return &command;
    }
    return nullptr;
}

} // namespace

void frmWebBrowser::connectCommands()
{
    for (const Command &command : commands()) {
        QAction *action = commandActions.value(QString::fromLatin1(command.name));
        const QByteArray handlerName = QByteArray(command.name) + "_Click";
        if (command.kind == Kind::Menu && command.handler) {
            connect(action->menu(), &QMenu::aboutToShow, this, [this, &command, handlerName] {
                guarded(handlerName.constData(), [&] { (this->*command.handler)(); });
            });
        }
        if (!isChosen(command))
            continue;
        // The handler sets the check mark itself; the mark's own toggle is undone first.
        if (command.kind == Kind::CheckItem)
            connect(action, &QAction::triggered, this,
                    [action] { action->setChecked(!action->isChecked()); });
        connect(action, &QAction::triggered, this, [this, &command, handlerName] {
            beginCommand();
            guarded(handlerName.constData(), [&] { runCommand(command); });
        });
    }

    connect(WebToolbar, &QToolBar::actionTriggered, this, [this](QAction *button) {
        if (!keyedButtons.contains(button->objectName()))
            return;
        beginCommand();
        guarded("WebToolbar_ButtonClick", [&] { WebToolbar_ButtonClick(button); });
    });
}

void frmWebBrowser::runCommand(const Command &command)
{
    switch (command.route) {
    case Route::Direct:
        (this->*command.handler)();
        return;
    case Route::ToolbarInBrowserView:
        mnuLinksRestoreWebBrowser_Click();
        [[fallthrough]];
    case Route::Toolbar:
        WebToolbar_ButtonClick(Buttons(QString::fromLatin1(passedKey(commands(), command))));
        return;
    }
}

void frmWebBrowser::runCommandNamed(const char *name)
{
    runCommand(*commandNamed(commands(), name));
}

void frmWebBrowser::mnuGoHome_Click()
{
    runCommandNamed("mnuGoHome");
}

void frmWebBrowser::WebToolbar_ButtonClick(QAction *Button)
{
    Failure::skip([&] { timer1->start(); });
    Failure::skip([&] { tbrProgress->setValue(90); });
    const Command *command = nullptr;
    Failure::skip([&] { command = commandForKey(commands(), Button->objectName()); });
    if (command)
        Failure::skip([&] { (this->*command->handler)(); });
}

void frmWebBrowser::EnableCommandsProc(bool browserView)
{
    m_platform.screenPointer->setMousePointer(ScreenPointer::Hourglass);
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
    // An item of a switched menu follows its menu.
    for (const Command &command : table) {
        const bool ownSwitch = command.kind == Kind::WindowAction
            || (isChosen(command) && !switched(commandNamed(table, command.menu)));
        if (ownSwitch && switched(&command))
            menuItem(QString::fromLatin1(command.name))->setEnabled(enabledIn(command.view));
    }
    m_platform.screenPointer->setMousePointer(ScreenPointer::Default);
}
