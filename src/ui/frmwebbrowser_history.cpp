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
    QString first;
    Failure::skip([&] {
        first = m_platform.settings->GetSetting(RecentUrls::application(), RecentUrls::section(),
                                                RecentUrls::keyName(1));
    });
    if (first.isEmpty())
        return;
    QList<SettingsStore::Row> rows;
    Failure::skip([&] {
        rows
            = m_platform.settings->GetAllSettings(RecentUrls::application(), RecentUrls::section());
    });
    for (int r = 0; r < rows.size(); ++r) {
        // A row beyond the tenth item has no item to show it; its steps are skipped.
        Failure::skip([&] { setUrlHistoryCaption(r, rows.at(r).second); });
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
