#pragma once

#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

// The browser window's commands as data: one row per command, with its menu item, toolbar
// button or panel button, its handler, the view that enables it and its keys. The menus, the
// toolbar, the favorites panel, the connections, the command enabling and the toolbar
// dispatch all read it, so a new command is one row of its unit and that unit's handler.
namespace Commands {

enum class Kind {
    Menu, // a menu of the menu bar; its handler, if any, runs as the menu opens
    Item, // a menu item
    CheckItem, // a menu item with a check mark, which its handler sets itself
    ItemArray, // `count` menu items of one name with an index, each hidden at first
    Separator, // a line between menu items
    PanelButton, // a button of the favorites panel, in the panel's order
    WindowAction, // a command of the window reached by its keys only
};

// The view of the main area in which the command can be chosen. EnableCommandsProc switches
// the menus, buttons, items and keys of the two views; an item in a switched menu follows
// its menu.
enum class View { Always, Browser, Source };

// How choosing the item, pressing the keys or clicking a panel button reaches the handler.
enum class Route {
    Direct, // the handler runs
    Toolbar, // the command's button goes to WebToolbar_ButtonClick, as if it had been clicked
    ToolbarInBrowserView, // the same, after returning to the browser view
};

// A command as its unit declares it: the description, and the handler as a function of the unit
// (the window, or a feature's unit). When the window is made, each row is bound to its unit
// (see bound), so a handler reaches its own unit and nothing else.
template<typename Handler, typename IndexedHandler> struct CommandRow
{
    Kind kind = Kind::Item;
    const char *name = nullptr; // the object name of the item, button or window action
    // Exact, with the "&" of the access key; a panel button has none (it shows an image).
    const char *caption = nullptr;
    const char *menu = nullptr; // the menu an item or separator stands in
    // The toolbar button, where the command has one; its image has the key as its name.
    const char *key = nullptr;
    const char *buttonCaption = nullptr; // nullptr when the button shows only its image
    const char *toolTip = nullptr; // of the toolbar or panel button
    bool endsGroup = false; // a separator follows the button
    // What the item, the keys and the panel button run, and what the dispatcher runs for the
    // button's key.
    Handler handler = nullptr;
    Route route = Route::Direct;
    View view = View::Always;
    // Key sequences in portable text, separated by "; ". A menu item shows none of them: its
    // keys belong to the window, which runs the item's command when they are pressed.
    const char *shortcut = nullptr;
    bool inPageMenu = false; // also offered in the page's context menu
    // An item array: how many items, and what choosing item i runs.
    int count = 0;
    IndexedHandler indexedHandler = nullptr;
};

// The rows a unit declares, handlers written in the table itself as one call of the unit.
template<typename Unit> using Row = CommandRow<void (*)(Unit &), void (*)(Unit &, int)>;
template<typename Unit> using Rows = std::span<const Row<Unit>>;

// A row bound to its unit, as the window reads it.
using Command = CommandRow<std::function<void()>, std::function<void(int)>>;

// A member function of a unit as a handler.
template<auto member> constexpr auto call = [](auto &unit) { (unit.*member)(); };

} // namespace Commands

using CommandTable = std::span<const Commands::Command>;

namespace Commands {

// A command reached by its keys (and, where it says so, the page's menu).
template<typename Unit>
constexpr Row<Unit> keys(const char *name, const char *caption, const char *shortcut,
                         void (*handler)(Unit &), View view = View::Always, bool inPageMenu = false)
{
    return { .kind = Kind::WindowAction,
             .name = name,
             .caption = caption,
             .handler = handler,
             .view = view,
             .shortcut = shortcut,
             .inPageMenu = inPageMenu };
}

// The rows bound to the unit that unit() gives when a command runs (a unit may be made after
// its rows are read, or at its first use).
template<typename Unit>
std::vector<Command> bound(Rows<Unit> rows, const std::function<Unit &()> &unit)
{
    std::vector<Command> commands;
    for (const Row<Unit> &row : rows) {
        Command command { row.kind,          row.name,     row.caption,    row.menu,  row.key,
                          row.buttonCaption, row.toolTip,  row.endsGroup,  {},        row.route,
                          row.view,          row.shortcut, row.inPageMenu, row.count, {} };
        if (const auto handler = row.handler)
            command.handler = [handler, unit] { handler(unit()); };
        if (const auto handler = row.indexedHandler)
            command.indexedHandler = [handler, unit](int index) { handler(unit(), index); };
        commands.push_back(std::move(command));
    }
    return commands;
}

// The rows of the tables, one table after the other.
std::vector<Command> joined(std::initializer_list<CommandTable> tables);

// The row of that name; nullptr when there is none.
const Command *named(CommandTable commands, const char *name);

} // namespace Commands
