// The browser window's navigation: the toolbar dispatcher, command enabling, the address
// box, the navigation commands and the browser control's events.

#include "frmwebbrowser.h"
#include "richtextarea.h"
#include "screenpointer.h"
#include "startupphase.h"
#include "toolbarcommand.h"
#include "webbrowsercontrol.h"
#include "webbrowserhost.h"

#include <QAction>
#include <QComboBox>
#include <QProgressBar>
#include <QTimer>

void frmWebBrowser::WebToolbar_ButtonClick(QAction *Button)
{
    Failure::skip([&] { timer1->start(); });
    Failure::skip([&] { tbrProgress->setValue(90); });
    ToolbarCommand command = ToolbarCommand::None;
    Failure::skip([&] { command = toolbarCommandForKey(Button->objectName()); });

    switch (command) {
    case ToolbarCommand::None:
        break;
    case ToolbarCommand::Back:
        Failure::skip([&] { ctlWebBrowser->GoBack(); });
        break;
    case ToolbarCommand::Forward:
        Failure::skip([&] { ctlWebBrowser->GoForward(); });
        break;
    case ToolbarCommand::Stop:
        Failure::skip([&] { tbrProgress->setValue(0); });
        Failure::skip([&] { timer1->stop(); });
        Failure::skip([&] { ctlWebBrowser->Stop(); });
        Failure::skip([&] { setCaption(ctlWebBrowser->LocationName()); });
        break;
    case ToolbarCommand::Refresh:
        Failure::skip([&] { ctlWebBrowser->Refresh(); });
        break;
    case ToolbarCommand::Home:
        Failure::skip([&] { ctlWebBrowser->GoHome(); });
        break;
    case ToolbarCommand::Search:
        Failure::skip([&] { ctlWebBrowser->GoSearch(); });
        break;
    case ToolbarCommand::FavoritesList:
        Failure::skip([&] { mnuFileFavoritesList_Click(); });
        break;
    case ToolbarCommand::PrintDesktop:
        Failure::skip([&] { mnuCopyPrintDesktop_Click(); });
        break;
    case ToolbarCommand::CapDesktop:
        Failure::skip([&] { mnuCopyCapDeskTop_Click(); });
        break;
    case ToolbarCommand::Inbox:
        Failure::skip([&] { OpenMailFolder(QStringLiteral("Inbox")); });
        break;
    case ToolbarCommand::Outbox:
        Failure::skip([&] { OpenMailFolder(QStringLiteral("Outbox")); });
        break;
    case ToolbarCommand::Contacts:
        Failure::skip([&] { OpenMailFolder(QStringLiteral("Contacts")); });
        break;
    case ToolbarCommand::DisplayCurrHTMLDoc:
        Failure::skip([&] { mnuLinksDisplayCurrHTMLDoc_Click(); });
        break;
    case ToolbarCommand::ListLinks:
        Failure::skip([&] { mnuLinksListLinks_Click(); });
        break;
    case ToolbarCommand::DisplayLinkHTMLDoc:
        Failure::skip([&] { mnuLinksDisplayLinkHTMLDoc_Click(); });
        break;
    case ToolbarCommand::PrintHTMLDoc:
        Failure::skip([&] { mnuLinksPrintHTMLdoc_Click(); });
        break;
    case ToolbarCommand::SaveHTMLDoc:
        Failure::skip([&] { mnuLinksSaveHTMLdoc_Click(); });
        break;
    case ToolbarCommand::RestoreWebBrowser:
        Failure::skip([&] { mnuLinksRestoreWebBrowser_Click(); });
        break;
    }
}

void frmWebBrowser::EnableCommandsProc(bool browserView)
{
    m_platform.screenPointer->setMousePointer(ScreenPointer::Hourglass);
    for (const char *menu : { "mnuGo", "mnuFile", "mnuCopy" })
        menuItem(QString::fromLatin1(menu))->setEnabled(browserView);
    for (const char *key : { "tbrBack", "tbrForward", "tbrStop", "tbrHome", "tbrRefresh",
                             "tbrSearch", "tbrFavoritesList", "tbrPrintDesktop", "tbrCapDesktop" })
        Buttons(QString::fromLatin1(key))->setEnabled(browserView);
    for (const char *item : { "mnuLinksPrintHTMLdoc", "mnuLinksSaveHTMLdoc" })
        menuItem(QString::fromLatin1(item))->setEnabled(!browserView);
    for (const char *key : { "tbrPrintHTMLDoc", "tbrSaveHTMLDoc" })
        Buttons(QString::fromLatin1(key))->setEnabled(!browserView);
    m_platform.screenPointer->setMousePointer(ScreenPointer::Default);
}

void frmWebBrowser::cboAddress_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        cboAddress_Click();
}

void frmWebBrowser::cboAddress_Click()
{
    if (AddressListUpdating)
        return;
    cboLinksList->clear();
    NavigateURLProc(cboAddress->currentText());
    if (!LastURLWasNew) {
        WriteRecentURLs(cboAddress->currentText());
        ReadRecentURLs();
        ctlWebBrowser->SetFocus();
    }
}

void frmWebBrowser::NavigateURLProc(const QString &url)
{
    m_platform.screenPointer->setMousePointer(ScreenPointer::Hourglass);
    if (url.length() > 0) {
        cboLinksList->clear();
        mnuLinksRestoreWebBrowser_Click();
        timer1->start();
        ctlWebBrowser->Navigate(url);
    }
    m_platform.screenPointer->setMousePointer(ScreenPointer::Default);
}

void frmWebBrowser::mnuGoBack_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrBack")));
}

void frmWebBrowser::mnuGoForward_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrForward")));
}

void frmWebBrowser::mnuGoStop_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrStop")));
}

void frmWebBrowser::mnuGoRefresh_Click()
{
    mnuLinksRestoreWebBrowser_Click();
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrRefresh")));
}

void frmWebBrowser::mnuGoHome_Click()
{
    mnuLinksRestoreWebBrowser_Click();
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrHome")));
}

void frmWebBrowser::mnuFileSearch_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrSearch")));
}

void frmWebBrowser::ctlWebBrowser_DownloadComplete()
{
    Failure::skip([&] { setCaption(ctlWebBrowser->LocationName()); });
    markStartupPageSize(ctlWebBrowser->widget()->width(), ctlWebBrowser->widget()->height());
    markStartupPhase("page loaded");
}

void frmWebBrowser::ctlWebBrowser_StatusTextChange(const QString &Text)
{
    m_host.setStatusText(Text);
}

void frmWebBrowser::ctlWebBrowser_NavigateComplete2(const QString &URL)
{
    Q_UNUSED(URL); // the control's own location is read instead
    Failure::skip([&] { setCaption(ctlWebBrowser->LocationName()); });

    // The location is read once: nothing can change it while the handler runs, and reading
    // it for each of thousands of entries made the search the slowest part of a page change.
    int found = -1;
    Failure::skip([&] {
        QString location;
        try {
            location = ctlWebBrowser->LocationURL();
        } catch (const PlatformError &) {
            // A comparison that cannot be made counts as a match at that index.
            if (cboAddress->count() > 0)
                found = 0;
            return;
        }
        found = cboAddress->findText(location, Qt::MatchExactly | Qt::MatchCaseSensitive);
    });
    Failure::skip([&] { AddressListUpdating = true; });
    Failure::skip([&] {
        if (found >= 0) {
            cboAddress->removeItem(found);
            LastURLWasNew = false;
        } else {
            LastURLWasNew = true;
        }
    });
    Failure::skip([&] { cboAddress->insertItem(0, ctlWebBrowser->LocationURL()); });
    Failure::skip([&] {
        cboAddress->setCurrentIndex(0);
        // Setting the selection raises the box's Click, as a choice from the list would.
        cboAddress_Click();
    });
    Failure::skip([&] { AddressListUpdating = false; });
}

void frmWebBrowser::timer1_Timer()
{
    if (ctlWebBrowser->Busy()) {
        setCaption(tr("Processing..."));
    } else {
        setCaption(ctlWebBrowser->LocationName());
        tbrProgress->setValue(0);
    }
}

void frmWebBrowser::picAnimation_Click()
{
    mnuLinksRestoreWebBrowser_Click();
}
