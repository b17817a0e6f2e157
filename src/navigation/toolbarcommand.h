#pragma once

#include <QString>

// What a toolbar button does, chosen by its key whatever the case of its letters.
enum class ToolbarCommand {
    None,
    Back,
    Forward,
    Stop,
    Refresh,
    Home,
    Search,
    FavoritesList,
    PrintDesktop,
    CapDesktop,
    Inbox,
    Outbox,
    Contacts,
    DisplayCurrHTMLDoc,
    ListLinks,
    DisplayLinkHTMLDoc,
    PrintHTMLDoc,
    SaveHTMLDoc,
    RestoreWebBrowser,
};

ToolbarCommand toolbarCommandForKey(const QString &key);
