// The browser window's recent-address menu and its history.

#include "history/recenturls.h"
#include "platform/api/settingsstore.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

void frmWebBrowser::WriteRecentURLs(const QString &inURL)
{
    RecentUrls::write(*m_platform.settings, inURL);
}

void frmWebBrowser::ReadRecentURLs()
{
    const QStringList addresses = RecentUrls::read(*m_platform.settings);
    // An address beyond the tenth item has no item to show it.
    for (int r = 0; r < addresses.size() && r < int(std::size(mnuURLHistory)); ++r) {
        // The caption shows the address as it is: an "&" is a character, not an access key.
        mnuURLHistory[r]->setData(addresses.at(r));
        mnuURLHistory[r]->setText(
            QString(addresses.at(r)).replace(QLatin1Char('&'), QStringLiteral("&&")));
        mnuURLHistory[r]->setVisible(true);
    }
}

void frmWebBrowser::mnuURLHistory_Click(int Index)
{
    cboAddress->setEditText(urlHistoryCaption(Index));
    cboAddress->setFocus();
}

void frmWebBrowser::forgetAddresses(const QStringList &addresses, bool everything)
{
    const QString typed = cboAddress->currentText();
    AddressListUpdating = true;
    for (const QString &address : addresses) {
        const int found = cboAddress->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found >= 0)
            cboAddress->removeItem(found);
    }
    cboAddress->setEditText(typed);
    AddressListUpdating = false;
    if (!everything)
        return;
    // Items of addresses no longer stored would still offer them.
    for (QAction *item : mnuURLHistory)
        item->setVisible(false);
    ReadRecentURLs();
}
