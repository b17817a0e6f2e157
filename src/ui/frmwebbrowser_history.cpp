// The browser window's recent-address menu and its history.

#include "browsinghistory.h"
#include "favoriteslistmodel.h"
#include "frmwebbrowser.h"
#include "historystore.h"
#include "recenturls.h"
#include "settingsstore.h"
#include "webbrowsercontrol.h"

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

void frmWebBrowser::connectHistory()
{
    m_history = new BrowsingHistory(
        *m_platform.history, this,
        { .favorites = [this] { return favoritesModel->texts(); },
          .statusLine = [this](const QString &line) { m_status.set(StatusLine::Message, line); },
          // An entry of the history window goes as if chosen in the address box.
          .open =
              [this](const QString &url) {
                  activateWindow();
                  m_status.set(StatusLine::Message, QString());
                  guarded("cboAddress_Click", [&] {
                      cboAddress->setEditText(url);
                      cboAddress_Click();
                  });
              } });
    m_history->attachCompletion(cboAddress);
    connect(ctlWebBrowser, &WebBrowserControl::TitleChange, this, [this](const QString &title) {
        guarded("ctlWebBrowser_TitleChange", [&] { m_history->titleChanged(title); });
    });
}
