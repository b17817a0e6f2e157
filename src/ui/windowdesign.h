#pragma once

#include <QtGlobal>

// The design of the two windows as data: the builders read these tables once.
namespace WindowDesign {

struct ToolbarButton
{
    const char *key; // nullptr for a separator
    const char *caption; // nullptr when the button shows only its image
    const char *toolTip;
};

struct MenuItem
{
    const char *name;
    const char *caption; // "-" is a separator line
    const char *parent; // nullptr for a menu of the menu bar
};

// The browser window's toolbar, in order; every keyed button's image has the button's key.
inline constexpr ToolbarButton webToolbarButtons[] = {
    { "tbrBack", QT_TRANSLATE_NOOP("frmWebBrowser", "Back"),
      QT_TRANSLATE_NOOP("frmWebBrowser", "Back") },
    { "tbrForward", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Forward") },
    { "tbrStop", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Stop") },
    { "tbrRefresh", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Refresh") },
    { "tbrHome", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Home") },
    { nullptr, nullptr, nullptr },
    { "tbrSearch", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Search") },
    { "tbrFavoritesList", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Display Favorites List") },
    { nullptr, nullptr, nullptr },
    { "tbrPrintDesktop", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Print desktop") },
    { "tbrCapDesktop", nullptr,
      QT_TRANSLATE_NOOP("frmWebBrowser", "Capture desktop to file directly") },
    { nullptr, nullptr, nullptr },
    { "tbrInbox", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Mail Inbox") },
    { "tbrOutbox", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Mail Outbox") },
    { "tbrContacts", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Contacts") },
    { nullptr, nullptr, nullptr },
    { "tbrDisplayCurrHTMLDoc", nullptr,
      QT_TRANSLATE_NOOP("frmWebBrowser", "Display current HTML document") },
    { "tbrListLinks", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "List links") },
    { "tbrDisplayLinkHTMLDoc", nullptr,
      QT_TRANSLATE_NOOP("frmWebBrowser", "Display link HTML document") },
    { "tbrPrintHTMLDoc", nullptr,
      QT_TRANSLATE_NOOP("frmWebBrowser", "Print displayed HTML doc (highlighted or all)") },
    { "tbrSaveHTMLDoc", nullptr,
      QT_TRANSLATE_NOOP("frmWebBrowser", "Save displayed HTML document") },
    { "tbrRestoreWebBrowser", nullptr, QT_TRANSLATE_NOOP("frmWebBrowser", "Restore web browser") },
    { nullptr, nullptr, nullptr },
};

// The browser window's menus, in order. The recent-address items follow mnuFileSep2.
inline constexpr MenuItem webBrowserMenu[] = {
    { "mnuGo", QT_TRANSLATE_NOOP("frmWebBrowser", "&Go"), nullptr },
    { "mnuGoBack", QT_TRANSLATE_NOOP("frmWebBrowser", "&Back"), "mnuGo" },
    { "mnuGoForward", QT_TRANSLATE_NOOP("frmWebBrowser", "&Forward"), "mnuGo" },
    { "mnuGosep1", "-", "mnuGo" },
    { "mnuGoStop", QT_TRANSLATE_NOOP("frmWebBrowser", "&Stop"), "mnuGo" },
    { "mnuGoRefresh", QT_TRANSLATE_NOOP("frmWebBrowser", "&Refresh"), "mnuGo" },
    { "mnuGosep2", "-", "mnuGo" },
    { "mnuGoHome", QT_TRANSLATE_NOOP("frmWebBrowser", "&Home"), "mnuGo" },
    { "mnuGosep3", "-", "mnuGo" },
    { "mnuGoExit", QT_TRANSLATE_NOOP("frmWebBrowser", "&Exist"), "mnuGo" },
    { "mnuFile", QT_TRANSLATE_NOOP("frmWebBrowser", "&File"), nullptr },
    { "mnuFileSearch", QT_TRANSLATE_NOOP("frmWebBrowser", "&Search"), "mnuFile" },
    { "mnuFileSep1", "-", "mnuFile" },
    { "mnuFileFavoritesList", QT_TRANSLATE_NOOP("frmWebBrowser", "&Favorites list"), "mnuFile" },
    { "mnuFileSep2", "-", "mnuFile" },
    { "mnuOptions", QT_TRANSLATE_NOOP("frmWebBrowser", "&Options"), nullptr },
    { "mnuOptionsToolbar", QT_TRANSLATE_NOOP("frmWebBrowser", "&Toolbar"), "mnuOptions" },
    { "mnuOptionsStatusbar", QT_TRANSLATE_NOOP("frmWebBrowser", "&Statusbar"), "mnuOptions" },
    { "mnuCopy", QT_TRANSLATE_NOOP("frmWebBrowser", "&Copy"), nullptr },
    { "mnuCopyPrintDesktop", QT_TRANSLATE_NOOP("frmWebBrowser", "&Print desktop"), "mnuCopy" },
    { "mnuCopysep1", "-", "mnuCopy" },
    { "mnuCopyCapDeskTop", QT_TRANSLATE_NOOP("frmWebBrowser", "&Capture desktop to file direct"),
      "mnuCopy" },
    { "mnuCopysep2", "-", "mnuCopy" },
    { "mnuCopySaveDesktopFromClip",
      QT_TRANSLATE_NOOP("frmWebBrowser", "Save &desktop  from clipboard (PrnScreen first)"),
      "mnuCopy" },
    { "mnuCopySaveTextFromClip", QT_TRANSLATE_NOOP("frmWebBrowser", "Save screen &text"),
      "mnuCopy" },
    { "mnuMail", QT_TRANSLATE_NOOP("frmWebBrowser", "&Mail"), nullptr },
    { "mnuMailInbox", QT_TRANSLATE_NOOP("frmWebBrowser", "&Inbox"), "mnuMail" },
    { "mnuMailOutbox", QT_TRANSLATE_NOOP("frmWebBrowser", "&Outbox"), "mnuMail" },
    { "mnuMailContacts", QT_TRANSLATE_NOOP("frmWebBrowser", "&Contacts"), "mnuMail" },
    { "mnuLinks", QT_TRANSLATE_NOOP("frmWebBrowser", "&Links"), nullptr },
    { "mnuLinksDisplayCurrHTMLDoc", QT_TRANSLATE_NOOP("frmWebBrowser", "Dispaly &current HTML doc"),
      "mnuLinks" },
    { "mnuLinksep1", "-", "mnuLinks" },
    { "mnuLinksListLinks", QT_TRANSLATE_NOOP("frmWebBrowser", "&List links"), "mnuLinks" },
    { "mnuLinksDisplayLinkHTMLDoc", QT_TRANSLATE_NOOP("frmWebBrowser", "&Dispaly Link HTML doc"),
      "mnuLinks" },
    { "mnuLinksep2", "-", "mnuLinks" },
    { "mnuLinksPrintHTMLdoc",
      QT_TRANSLATE_NOOP("frmWebBrowser", "&Print HTML doc (highlighted or all)"), "mnuLinks" },
    { "mnuLinksSaveHTMLdoc", QT_TRANSLATE_NOOP("frmWebBrowser", "&Save HTML doc"), "mnuLinks" },
    { "mnuLinksep3", "-", "mnuLinks" },
    { "mnuLinksRestoreWebBrowser", QT_TRANSLATE_NOOP("frmWebBrowser", "&Restore web browser"),
      "mnuLinks" },
};

// The control array of recent addresses at the foot of the File menu.
inline constexpr int urlHistoryItemCount = 10;

// Design positions and sizes in twips (left, top, width, height).
struct TwipsRect
{
    float left, top, width, height;
};

inline constexpr float addressContainerHeight = 435;
inline constexpr float favouritesListContainerHeight = 525;
inline constexpr TwipsRect cboAddressRect { 960, 30, 5145, 315 };
inline constexpr TwipsRect lblAddressRect { 60, 90, 825, 165 };
inline constexpr TwipsRect picLinksListContainerRect { 0, 0, 11880, 465 };
inline constexpr TwipsRect cboLinksListRect { 930, 60, 5115, 315 };
inline constexpr TwipsRect lblLinksRect { 60, 120, 825, 165 };
inline constexpr TwipsRect pic1Rects[4] = {
    { 1650, 60, 285, 345 }, { 1980, 60, 285, 345 }, { 2310, 60, 285, 345 }, { 2640, 60, 285, 345 }
};
inline constexpr TwipsRect favoriteButtonRect { 0, 0, 225, 285 };
inline constexpr float pic1Border = 30;
inline constexpr TwipsRect cboFavoritesListRect { 3060, 60, 7485, 315 };
inline constexpr TwipsRect lblFavoritesRect { 600, 150, 825, 165 };
inline constexpr TwipsRect tbrProgressRect { 9840, 60, 1470, 195 };
inline constexpr TwipsRect picAnimationRect { 11550, 30, 285, 285 };
inline constexpr TwipsRect ctlWebBrowserRect { 60, 1350, 5400, 3060 };
inline constexpr TwipsRect text1Rect { 30, 1350, 5385, 2985 };
inline constexpr float statusPanelWidth = 1440;

} // namespace WindowDesign
