// The browser window's recent-address menu.

#include "frmwebbrowser.h"
#include "recenturls.h"
#include "settingsstore.h"

#include <QAction>
#include <QComboBox>

void frmWebBrowser::WriteRecentURLs(const QString &inURL)
{
    RecentUrls::write(*m_platform.settings, inURL);
}

void frmWebBrowser::ReadRecentURLs()
{
    const QStringList addresses = RecentUrls::read(*m_platform.settings);
    for (int r = 0; r < addresses.size(); ++r) {
        // An address beyond the tenth item has no item to show it; its steps are skipped.
        Failure::skip([&] { setUrlHistoryCaption(r, addresses.at(r)); });
        Failure::skip([&] {
            if (r >= int(std::size(mnuURLHistory)))
                throw PlatformError(ErrorCode::SubscriptOutOfRange,
                                    QStringLiteral("Subscript out of range"));
            mnuURLHistory[r]->setVisible(true);
        });
    }
}

void frmWebBrowser::mnuURLHistory_Click(int Index)
{
    cboAddress->setEditText(urlHistoryCaption(Index));
    cboAddress->setFocus();
}
