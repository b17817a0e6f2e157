// The browser window's command table: the designed menus, toolbar and favorites panel in
// their order, and the commands that the window adds, reached by keys.

#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"
#include "ui/fullscreenlayout.h"
#include "ui/webbrowserhost.h"
#include "ui/windowdesign.h"
#include "ui/windowrows.h"

#include <algorithm>
#include <iterator>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <vector>

using namespace Commands;
using namespace Qt::StringLiterals;

namespace {

using WindowRow = Commands::Row<frmWebBrowser>;

constexpr WindowRow menu(const char *name, const char *caption, View view = View::Always,
                         void (*opens)(frmWebBrowser &) = nullptr)
{
    return { .kind = Kind::Menu, .name = name, .caption = caption, .handler = opens, .view = view };
}

constexpr WindowRow separator(const char *name, const char *inMenu)
{
    return { .kind = Kind::Separator, .name = name, .caption = "-", .menu = inMenu };
}

constexpr WindowRow panelButton(const char *name, const char *toolTip,
                                void (*handler)(frmWebBrowser &))
{
    return { .kind = Kind::PanelButton, .name = name, .toolTip = toolTip, .handler = handler };
}

} // namespace

// The Go menu, whose items stand in the toolbar first.
WindowRows::Rows WindowRows::goMenu()
{
    static constexpr WindowRow rows[] = {
        menu("mnuGo", QT_TR_NOOP("&Go"), View::Browser),
        { .name = "mnuGoBack",
          .caption = QT_TR_NOOP("&Back"),
          .menu = "mnuGo",
          .key = "tbrBack",
          .buttonCaption = QT_TR_NOOP("Back"),
          .toolTip = QT_TR_NOOP("Back"),
          .handler = [](frmWebBrowser &w) { w.ctlWebBrowser->GoBack(); },
          .route = Route::Toolbar,
          .view = View::Browser,
          .shortcut = "Alt+Left" },
        { .name = "mnuGoForward",
          .caption = QT_TR_NOOP("&Forward"),
          .menu = "mnuGo",
          .key = "tbrForward",
          .toolTip = QT_TR_NOOP("Forward"),
          .handler = [](frmWebBrowser &w) { w.ctlWebBrowser->GoForward(); },
          .route = Route::Toolbar,
          .view = View::Browser,
          .shortcut = "Alt+Right" },
        separator("mnuGosep1", "mnuGo"),
        { .name = "mnuGoStop",
          .caption = QT_TR_NOOP("&Stop"),
          .menu = "mnuGo",
          .key = "tbrStop",
          .toolTip = QT_TR_NOOP("Stop"),
          .handler =
              [](frmWebBrowser &w) {
                  w.tbrProgress->setValue(0);
                  w.timer1->stop();
                  Failure::skip([&] { w.ctlWebBrowser->Stop(); });
                  Failure::skip([&] { w.setWindowTitle(w.ctlWebBrowser->LocationName()); });
              },
          .route = Route::Toolbar,
          .view = View::Browser },
        { .name = "mnuGoRefresh",
          .caption = QT_TR_NOOP("&Refresh"),
          .menu = "mnuGo",
          .key = "tbrRefresh",
          .toolTip = QT_TR_NOOP("Refresh"),
          .handler = [](frmWebBrowser &w) { w.ctlWebBrowser->Refresh(); },
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser,
          .shortcut = "F5; Ctrl+R" },
        separator("mnuGosep2", "mnuGo"),
        { .name = "mnuGoHome",
          .caption = QT_TR_NOOP("&Home"),
          .menu = "mnuGo",
          .key = "tbrHome",
          .toolTip = QT_TR_NOOP("Home"),
          .endsGroup = true,
          .handler = [](frmWebBrowser &w) { w.ctlWebBrowser->GoHome(); },
          .route = Route::ToolbarInBrowserView,
          .view = View::Browser,
          .shortcut = "Alt+Home" },
        separator("mnuGosep3", "mnuGo"),
        { .name = "mnuGoExit",
          .caption = QT_TR_NOOP("&Exist"),
          .menu = "mnuGo",
          .handler = call<&frmWebBrowser::mnuGoExit_Click>,
          .view = View::Browser },
    };
    return rows;
}

// The File and Options menus.
WindowRows::Rows WindowRows::fileAndOptionsMenus()
{
    static constexpr WindowRow rows[] = {
        menu("mnuFile", QT_TR_NOOP("&File"), View::Browser),
        { .name = "mnuFileSearch",
          .caption = QT_TR_NOOP("&Search"),
          .menu = "mnuFile",
          .key = "tbrSearch",
          .toolTip = QT_TR_NOOP("Search"),
          .handler = [](frmWebBrowser &w) { w.ctlWebBrowser->GoSearch(); },
          .route = Route::Toolbar,
          .view = View::Browser },
        separator("mnuFileSep1", "mnuFile"),
        { .name = "mnuFileFavoritesList",
          .caption = QT_TR_NOOP("&Favorites list"),
          .menu = "mnuFile",
          .key = "tbrFavoritesList",
          .toolTip = QT_TR_NOOP("Display Favorites List"),
          .endsGroup = true,
          .handler = call<&frmWebBrowser::mnuFileFavoritesList_Click>,
          .view = View::Browser },
        separator("mnuFileSep2", "mnuFile"),
        { .kind = Kind::ItemArray,
          .name = "mnuURLHistory",
          .caption = "URLHistory",
          .menu = "mnuFile",
          .count = WindowDesign::urlHistoryItemCount,
          .indexedHandler = [](frmWebBrowser &w, int index) { w.mnuURLHistory_Click(index); } },

        menu("mnuOptions", QT_TR_NOOP("&Options"), View::Always,
             call<&frmWebBrowser::mnuOptions_Click>),
        { .kind = Kind::CheckItem,
          .name = "mnuOptionsToolbar",
          .caption = QT_TR_NOOP("&Toolbar"),
          .menu = "mnuOptions",
          .handler = call<&frmWebBrowser::mnuOptionsToolbar_Click> },
        { .kind = Kind::CheckItem,
          .name = "mnuOptionsStatusbar",
          .caption = QT_TR_NOOP("&Statusbar"),
          .menu = "mnuOptions",
          .handler = call<&frmWebBrowser::mnuOptionsStatusbar_Click> },
    };
    return rows;
}

// The Copy and Mail menus.
WindowRows::Rows WindowRows::copyAndMailMenus()
{
    static constexpr WindowRow rows[] = {
        menu("mnuCopy", QT_TR_NOOP("&Copy"), View::Browser),
        { .name = "mnuCopyPrintDesktop",
          .caption = QT_TR_NOOP("&Print desktop"),
          .menu = "mnuCopy",
          .key = "tbrPrintDesktop",
          .toolTip = QT_TR_NOOP("Print desktop"),
          .handler = call<&frmWebBrowser::mnuCopyPrintDesktop_Click>,
          .view = View::Browser },
        separator("mnuCopysep1", "mnuCopy"),
        { .name = "mnuCopyCapDeskTop",
          .caption = QT_TR_NOOP("&Capture desktop to file direct"),
          .menu = "mnuCopy",
          .key = "tbrCapDesktop",
          .toolTip = QT_TR_NOOP("Capture desktop to file directly"),
          .endsGroup = true,
          .handler = call<&frmWebBrowser::mnuCopyCapDeskTop_Click>,
          .view = View::Browser },
        separator("mnuCopysep2", "mnuCopy"),
        { .name = "mnuCopySaveDesktopFromClip",
          .caption = QT_TR_NOOP("Save &desktop  from clipboard (PrnScreen first)"),
          .menu = "mnuCopy",
          .handler = call<&frmWebBrowser::mnuCopySaveDesktopFromClip_Click>,
          .view = View::Browser },
        { .name = "mnuCopySaveTextFromClip",
          .caption = QT_TR_NOOP("Save screen &text"),
          .menu = "mnuCopy",
          .handler = call<&frmWebBrowser::mnuCopySaveTextFromClip_Click>,
          .view = View::Browser },

        menu("mnuMail", QT_TR_NOOP("&Mail")),
        { .name = "mnuMailInbox",
          .caption = QT_TR_NOOP("&Inbox"),
          .menu = "mnuMail",
          .key = "tbrInbox",
          .toolTip = QT_TR_NOOP("Mail Inbox"),
          .handler = [](frmWebBrowser &w) { w.OpenMailFolder(QStringLiteral("Inbox")); },
          .route = Route::Toolbar },
        { .name = "mnuMailOutbox",
          .caption = QT_TR_NOOP("&Outbox"),
          .menu = "mnuMail",
          .key = "tbrOutbox",
          .toolTip = QT_TR_NOOP("Mail Outbox"),
          .handler = [](frmWebBrowser &w) { w.OpenMailFolder(QStringLiteral("Outbox")); },
          .route = Route::Toolbar },
        { .name = "mnuMailContacts",
          .caption = QT_TR_NOOP("&Contacts"),
          .menu = "mnuMail",
          .key = "tbrContacts",
          .toolTip = QT_TR_NOOP("Contacts"),
          .endsGroup = true,
          .handler = [](frmWebBrowser &w) { w.OpenMailFolder(QStringLiteral("Contacts")); },
          .route = Route::Toolbar },
    };
    return rows;
}

// The Links menu, with the source view's commands.
WindowRows::Rows WindowRows::linksMenu()
{
    static constexpr WindowRow rows[] = {
        menu("mnuLinks", QT_TR_NOOP("&Links")),
        { .name = "mnuLinksDisplayCurrHTMLDoc",
          .caption = QT_TR_NOOP("Dispaly &current HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrDisplayCurrHTMLDoc",
          .toolTip = QT_TR_NOOP("Display current HTML document"),
          .handler = call<&frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click>,
          .shortcut = "Ctrl+U" },
        separator("mnuLinksep1", "mnuLinks"),
        { .name = "mnuLinksListLinks",
          .caption = QT_TR_NOOP("&List links"),
          .menu = "mnuLinks",
          .key = "tbrListLinks",
          .toolTip = QT_TR_NOOP("List links"),
          .handler = call<&frmWebBrowser::mnuLinksListLinks_Click> },
        { .name = "mnuLinksDisplayLinkHTMLDoc",
          .caption = QT_TR_NOOP("&Dispaly Link HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrDisplayLinkHTMLDoc",
          .toolTip = QT_TR_NOOP("Display link HTML document"),
          .handler = call<&frmWebBrowser::mnuLinksDisplayLinkHTMLDoc_Click> },
        separator("mnuLinksep2", "mnuLinks"),
        { .name = "mnuLinksPrintHTMLdoc",
          .caption = QT_TR_NOOP("&Print HTML doc (highlighted or all)"),
          .menu = "mnuLinks",
          .key = "tbrPrintHTMLDoc",
          .toolTip = QT_TR_NOOP("Print displayed HTML doc (highlighted or all)"),
          .handler = call<&frmWebBrowser::mnuLinksPrintHTMLdoc_Click>,
          .view = View::Source },
        { .name = "mnuLinksSaveHTMLdoc",
          .caption = QT_TR_NOOP("&Save HTML doc"),
          .menu = "mnuLinks",
          .key = "tbrSaveHTMLDoc",
          .toolTip = QT_TR_NOOP("Save displayed HTML document"),
          .handler = call<&frmWebBrowser::mnuLinksSaveHTMLdoc_Click>,
          .view = View::Source },
        separator("mnuLinksep3", "mnuLinks"),
        { .name = "mnuLinksRestoreWebBrowser",
          .caption = QT_TR_NOOP("&Restore web browser"),
          .menu = "mnuLinks",
          .key = "tbrRestoreWebBrowser",
          .toolTip = QT_TR_NOOP("Restore web browser"),
          .endsGroup = true,
          .handler = call<&frmWebBrowser::mnuLinksRestoreWebBrowser_Click> },
    };
    return rows;
}

// The favorites panel's buttons, and the keys of the window itself.
WindowRows::Rows WindowRows::panelAndKeys()
{
    static constexpr WindowRow rows[] = {
        // The favorites panel's buttons, left to right.
        panelButton("cmdSelectFavorite", QT_TR_NOOP("Select favorite "),
                    call<&frmWebBrowser::cmdSelectFavorite_Click>),
        panelButton("cmdAddFavorite", QT_TR_NOOP("Add to Favorites List"),
                    call<&frmWebBrowser::cmdAddFavorite_Click>),
        panelButton("cmdDeleteFavorite", QT_TR_NOOP("Remove from list"),
                    call<&frmWebBrowser::cmdDeleteFavorite_Click>),
        panelButton("cmdExitFavoritesList", QT_TR_NOOP("Exit Favorites List (return to Links)"),
                    call<&frmWebBrowser::cmdExitFavoritesList_Click>),

        // Commands of the window alone.
        keys<frmWebBrowser>("actAddress", QT_TR_NOOP("Address box"), "Ctrl+L; Alt+D",
                            [](frmWebBrowser &w) {
                                w.cboAddress->setFocus(Qt::ShortcutFocusReason);
                                w.cboAddress->lineEdit()->selectAll();
                            }),
        // Enabled only while there is a load to stop or a find bar to close.
        keys<frmWebBrowser>("actStop", QT_TR_NOOP("Stop"), "Esc",
                            [](frmWebBrowser &w) {
                                WindowFeature *closing = nullptr;
                                for (const std::unique_ptr<Feature> &feature : w.m_features) {
                                    WindowFeature *unit = feature->windowFeature();
                                    if (!closing && unit && unit->closesOnEscape())
                                        closing = unit;
                                }
                                if (closing)
                                    closing->closeOnEscape();
                                else if (w.m_fullScreen->isOn())
                                    w.m_fullScreen->toggle();
                                // Stop is a command of the browser view, like its button.
                                else if (w.ctlWebBrowser->Busy()
                                         && !w.ctlWebBrowser->widget()->isHidden())
                                    w.runCommand(*named(w.commands(), "mnuGoStop"));
                                w.updateEscapeKey();
                            }),
        keys<frmWebBrowser>("actQuit", QT_TR_NOOP("Quit"), "Ctrl+Q",
                            [](frmWebBrowser &w) { w.m_host.exitProgram(); }),
        keys<frmWebBrowser>("actClose", QT_TR_NOOP("Close"), "Ctrl+W",
                            call<&frmWebBrowser::mnuGoExit_Click>),
        // The page shown goes to the favorites, as the panel's add button adds the address.
        keys<frmWebBrowser>(
            "actAddFavorite", QT_TR_NOOP("Add to favorites"), "Ctrl+D",
            [](frmWebBrowser &w) {
                w.cboAddress->setEditText(w.ctlWebBrowser->LocationURL());
                w.cmdAddFavorite_Click();
            },
            View::Browser),
        keys<frmWebBrowser>("actFullScreen", QT_TR_NOOP("Full screen"), "F11",
                            [](frmWebBrowser &w) {
                                w.m_fullScreen->toggle();
                                w.updateEscapeKey();
                            }),
    };
    return rows;
}

// The designed menus in their order, the panel, and the window's own keys.
std::vector<Command> WindowRows::bound(frmWebBrowser &window)
{
    std::vector<Command> rows;
    for (const Rows table :
         { goMenu(), fileAndOptionsMenus(), copyAndMailMenus(), linksMenu(), panelAndKeys() })
        std::ranges::move(Commands::bound<frmWebBrowser>(
                              table, [&window]() -> frmWebBrowser & { return window; }),
                          std::back_inserter(rows));
    return rows;
}
