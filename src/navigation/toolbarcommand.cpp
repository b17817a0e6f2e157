#include "toolbarcommand.h"

#include <iterator>

namespace {

struct Row
{
    const char *upperKey;
    ToolbarCommand command;
};

// Compared from the first row down; the first equal row wins.
constexpr Row commandTable[] = {
    { "TBRBACK", ToolbarCommand::Back },
    { "TBRFORWARD", ToolbarCommand::Forward },
    { "TBRSTOP", ToolbarCommand::Stop },
    { "TBRREFRESH", ToolbarCommand::Refresh },
    { "TBRHOME", ToolbarCommand::Home },
    { "TBRSEARCH", ToolbarCommand::Search },
    { "TBRFAVORITESLIST", ToolbarCommand::FavoritesList },
    { "TBRPRINTDESKTOP", ToolbarCommand::PrintDesktop },
    { "TBRCAPDESKTOP", ToolbarCommand::CapDesktop },
    { "TBRINBOX", ToolbarCommand::Inbox },
    { "TBROUTBOX", ToolbarCommand::Outbox },
    { "TBRCONTACTS", ToolbarCommand::Contacts },
    { "TBRDISPLAYCURRHTMLDOC", ToolbarCommand::DisplayCurrHTMLDoc },
    { "TBRLISTLINKS", ToolbarCommand::ListLinks },
    { "TBRDISPLAYLINKHTMLDOC", ToolbarCommand::DisplayLinkHTMLDoc },
    { "TBRPRINTHTMLDOC", ToolbarCommand::PrintHTMLDoc },
    { "TBRSAVEHTMLDOC", ToolbarCommand::SaveHTMLDoc },
    { "TBRRESTOREWEBBROWSER", ToolbarCommand::RestoreWebBrowser },
};

} // namespace

ToolbarCommand toolbarCommandForKey(const QString &key)
{
    const QString upper = key.toUpper();
    for (const Row &row : commandTable) {
        if (upper == QLatin1String(row.upperKey))
            return row.command;
    }
    return ToolbarCommand::None;
}
