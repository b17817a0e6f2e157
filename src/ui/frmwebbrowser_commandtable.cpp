// The browser window's command table: the designed menus, toolbar and favorites panel in
// their order, and the commands that the window adds, reached by keys.

#include "capture/pagetextname.h"
#include "platform/api/commondialog.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/blockingcontrols.h"
#include "ui/browseraccessibility.h"
#include "ui/browsinghistory.h"
#include "ui/commanddialogs.h"
#include "ui/findbar.h"
#include "ui/frmwebbrowser.h"
#include "ui/fullscreenlayout.h"
#include "ui/pagezoom.h"
#include "ui/webbrowserhost.h"
#include "ui/windowdesign.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTimer>

using namespace Commands;
using namespace Qt::StringLiterals;

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

constexpr Command panelButton(const char *name, const char *toolTip, Handler handler)
{
    return { .kind = Kind::PanelButton, .name = name, .toolTip = toolTip, .handler = handler };
}

// A command of the window alone, reached by its keys (and, where it says so, the page's menu).
constexpr Command keys(const char *name, const char *caption, const char *shortcut, Handler handler,
                       View view = View::Always, bool inPageMenu = false)
{
    return { .kind = Kind::WindowAction,
             .name = name,
             .caption = caption,
             .handler = handler,
             .view = view,
             .shortcut = shortcut,
             .inPageMenu = inPageMenu };
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
        keys("actAddress", QT_TR_NOOP("Address box"), "Ctrl+L; Alt+D",
             [](frmWebBrowser &w) {
                 w.cboAddress->setFocus(Qt::ShortcutFocusReason);
                 w.cboAddress->lineEdit()->selectAll();
             }),
        keys("actNextPane", QT_TR_NOOP("Next pane"), "F6",
             [](frmWebBrowser &w) { w.m_accessibility->nextPane(false); }),
        keys("actPreviousPane", QT_TR_NOOP("Previous pane"), "Shift+F6",
             [](frmWebBrowser &w) { w.m_accessibility->nextPane(true); }),
        // Enabled only while there is a load to stop or a find bar to close.
        keys("actStop", QT_TR_NOOP("Stop"), "Esc",
             [](frmWebBrowser &w) {
                 if (w.m_findBar->isOpen())
                     w.m_findBar->close();
                 else if (w.m_fullScreen->isOn())
                     w.m_fullScreen->toggle();
                 // Stop is a command of the browser view, like its button.
                 else if (w.ctlWebBrowser->Busy() && !w.ctlWebBrowser->widget()->isHidden())
                     w.runCommand(*named(commands(), "mnuGoStop"));
                 w.updateEscapeKey();
             }),
        keys("actQuit", QT_TR_NOOP("Quit"), "Ctrl+Q",
             [](frmWebBrowser &w) { w.m_host.exitProgram(); }),
        keys("actClose", QT_TR_NOOP("Close"), "Ctrl+W", call<&frmWebBrowser::mnuGoExit_Click>),
        // The page shown goes to the favorites, as the panel's add button adds the address.
        keys(
            "actAddFavorite", QT_TR_NOOP("Add to favorites"), "Ctrl+D",
            [](frmWebBrowser &w) {
                w.cboAddress->setEditText(w.ctlWebBrowser->LocationURL());
                w.cmdAddFavorite_Click();
            },
            View::Browser),
        keys(
            "actSavePage", QT_TR_NOOP("Save page..."), "Ctrl+S",
            [](frmWebBrowser &w) {
                w.reportAndLeave("actSavePage_Click", [&] {
                    const QString name
                        = Capture::pageFileName(w.ctlWebBrowser->LocationName(), u".html"_s)
                              .value_or(u"page.html"_s);
                    CommonDialog &dialog = w.m_host.commonDialog();
                    const auto target = CommandDialogs::showSave(
                        dialog, *w.m_platform.settings, CommandDialogs::SavedFile::Page, name,
                        tr("Web page, complete (*.html *.htm);;Web page, single file (*.mhtml)"));
                    if (target)
                        w.ctlWebBrowser->document().SavePage(*target, dialog.FilterIndex == 2);
                });
            },
            View::Browser),
        keys("actFullScreen", QT_TR_NOOP("Full screen"), "F11",
             [](frmWebBrowser &w) {
                 w.m_fullScreen->toggle();
                 w.updateEscapeKey();
             }),
        keys(
            "actFind", QT_TR_NOOP("Find..."), "Ctrl+F",
            [](frmWebBrowser &w) { w.m_findBar->open(); }, View::Always, true),
        keys("actFindNext", QT_TR_NOOP("Find next"), "F3",
             [](frmWebBrowser &w) { w.m_findBar->findNext(); }),
        keys("actFindPrevious", QT_TR_NOOP("Find previous"), "Shift+F3",
             [](frmWebBrowser &w) { w.m_findBar->findPrevious(); }),
        keys("actZoomIn", QT_TR_NOOP("Zoom in"), "Ctrl++; Ctrl+=; Ctrl+Num++",
             [](frmWebBrowser &w) { w.m_zoom->zoomIn(); }),
        keys("actZoomOut", QT_TR_NOOP("Zoom out"), "Ctrl+-; Ctrl+Num+-",
             [](frmWebBrowser &w) { w.m_zoom->zoomOut(); }),
        keys("actZoomReset", QT_TR_NOOP("Actual size"), "Ctrl+0; Ctrl+Num+0",
             [](frmWebBrowser &w) { w.m_zoom->reset(); }),
        keys(
            "actPrintPage", QT_TR_NOOP("Print page..."), "Ctrl+P",
            [](frmWebBrowser &w) {
                w.reportAndLeave("actPrintPage_Click", [&] {
                    CommonDialog &dialog = w.m_host.commonDialog();
                    dialog.CancelError = true;
                    PagePrinting &page = w.ctlWebBrowser->printing();
                    page.SetPrintPreviewOpen(true);
                    const auto closed = qScopeGuard([&] { page.SetPrintPreviewOpen(false); });
                    dialog.ShowPrintPreview([&](QPrinter &printer) { page.PrintPage(printer); });
                });
            },
            View::Browser, true),
        keys(
            "actAllowAds", QT_TR_NOOP("Allow ads on this site"), "Ctrl+Shift+A",
            [](frmWebBrowser &w) { w.m_blocking->toggleSiteAllowance(); }, View::Browser, true),
        keys(
            "actBlocking", QT_TR_NOOP("Block ads and trackers"), "Ctrl+Shift+B",
            [](frmWebBrowser &w) { w.m_blocking->toggleBlocking(); }, View::Always, true),
        keys(
            "actHideElement", QT_TR_NOOP("Hide this element..."), "",
            [](frmWebBrowser &w) {
                w.m_blocking->hideElement(
                    &w, [&w](const char *name, const auto &work) { w.guarded(name, work); });
            },
            View::Browser, true),
        keys("actUpdateFilters", QT_TR_NOOP("Update filter lists"), "Ctrl+Shift+U",
             [](frmWebBrowser &w) { w.m_blocking->updateLists(); }),
        keys("actHistory", QT_TR_NOOP("History"), "Ctrl+H",
             [](frmWebBrowser &w) { w.m_history->showWindow(); }),
        keys("actDownloads", QT_TR_NOOP("Downloads"), "Ctrl+Shift+Y",
             call<&frmWebBrowser::showDownloads>),
        keys(
            "actInspect", QT_TR_NOOP("Inspect"), "F12; Ctrl+Shift+I",
            [](frmWebBrowser &w) { w.ctlWebBrowser->tools().ShowInspector(); }, View::Browser,
            true),
    };
    return table;
}
