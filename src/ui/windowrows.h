#pragma once

#include "ui/commandtable.h"

#include <vector>

class frmWebBrowser;

// The browser window's own rows: the designed menus, toolbar and favorites panel in their
// order, and the few keys of the window itself (frmwebbrowser_commandtable.cpp).
struct WindowRows
{
    // The rows bound to the window, in their order.
    static std::vector<Commands::Command> bound(frmWebBrowser &window);

private:
    using Rows = Commands::Rows<frmWebBrowser>;
    static Rows goMenu();
    static Rows fileAndOptionsMenus();
    static Rows copyAndMailMenus();
    static Rows linksMenu();
    static Rows panelAndKeys();
};
