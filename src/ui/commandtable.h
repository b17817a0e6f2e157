#pragma once

#include <span>

class frmWebBrowser;

// The browser window's commands as data: one row per command, with its menu item, its
// toolbar button, its handler, the view that enables it and its window shortcut. The menus,
// the toolbar, the connections, the command enabling and the toolbar dispatch all read it,
// so a new command is one row and its handler.
namespace Commands {

enum class Kind {
    Menu, // a menu of the menu bar; its handler, if any, runs as the menu opens
    Item, // a menu item
    CheckItem, // a menu item with a check mark, which its handler sets itself
    Separator, // a line between menu items
    WindowAction, // a command of the window reached by its shortcut only
};

// The view of the main area in which the command can be chosen. EnableCommandsProc switches
// the menus, buttons, items and window actions of the two views; an item in a switched menu
// follows its menu.
enum class View { Always, Browser, Source };

// How choosing the item, or pressing the shortcut, reaches the handler.
enum class Route {
    Direct, // the handler runs
    Toolbar, // the command's button goes to WebToolbar_ButtonClick, as if it had been clicked
    ToolbarInBrowserView, // the same, after returning to the browser view
};

using Handler = void (frmWebBrowser::*)();

struct Command
{
    Kind kind = Kind::Item;
    const char *name = nullptr; // the object name of the item or window action
    const char *caption = nullptr; // exact, with the "&" of the access key
    const char *menu = nullptr; // the menu an item or separator stands in
    // The toolbar button, where the command has one; its image has the key as its name.
    const char *key = nullptr;
    const char *buttonCaption = nullptr; // nullptr when the button shows only its image
    const char *toolTip = nullptr;
    bool endsGroup = false; // a separator follows the button
    // The command's work: what the item runs, and what the dispatcher runs for the button's
    // key. Toolbar-routed rows without a button of their own pass the button of the row
    // that has the same handler.
    Handler handler = nullptr;
    Route route = Route::Direct;
    View view = View::Always;
    const char *shortcut = nullptr; // key sequences in portable text, separated by "; "
    bool inPageMenu = false; // also offered in the page's context menu
};

} // namespace Commands

using CommandTable = std::span<const Commands::Command>;
