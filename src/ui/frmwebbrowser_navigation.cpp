// The browser window's navigation: the address box, the navigation commands and the browser
// control's events.

#include "navigation/programpages.h"
#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/startupphase.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"
#include "ui/webbrowserhost.h"

#include <QAction>
#include <QComboBox>
#include <QProgressBar>
#include <QTimer>

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
    NavigateURLProc(m_addressText.target(cboAddress->currentText(), ctlWebBrowser->SearchPage()));
    Q_EMIT m_addressEvents->navigationTyped(cboAddress->currentText());
    if (!LastURLWasNew) {
        WriteRecentURLs(cboAddress->currentText());
        ReadRecentURLs();
    }
    // The keys go to the page that opens, as peers do: a key left in the box would act on the
    // address instead.
    ctlWebBrowser->SetFocus();
}

void frmWebBrowser::NavigateURLProc(const QString &url)
{
    const BusyPointer busy(*m_platform.screenPointer);
    if (url.length() > 0) {
        cboLinksList->clear();
        mnuLinksRestoreWebBrowser_Click();
        timer1->start();
        ctlWebBrowser->Navigate(url);
    }
}

void frmWebBrowser::ctlWebBrowser_DownloadComplete()
{
    Failure::skip([&] { setWindowTitle(ctlWebBrowser->LocationName()); });
    markStartupPageSize(ctlWebBrowser->widget()->width(), ctlWebBrowser->widget()->height());
    markStartupPhase("page loaded");
    startPageShown();
}

void frmWebBrowser::ctlWebBrowser_StatusTextChange(const QString &Text)
{
    m_status.set(StatusLine::Message, Text);
}

void frmWebBrowser::ctlWebBrowser_NavigateComplete2(const QString &URL)
{
    Q_UNUSED(URL); // the control's own location is read instead
    // Messages about the page before (a pointed link, a save, a fetch) end with it.
    m_status.set(StatusLine::Message, QString());
    Failure::skip([&] { setWindowTitle(ctlWebBrowser->LocationName()); });

    // The program's own page (the start page) leaves the box empty, with the keys in it, as
    // a new page does in peers; its address is no entry of the box's list. Whether it was
    // shown before counts as for a listed address.
    bool programPage = false;
    Failure::skip([&] { programPage = Navigation::isProgramPage(ctlWebBrowser->LocationURL()); });
    if (programPage) {
        LastURLWasNew = !m_programPageShown;
        m_programPageShown = true;
        AddressListUpdating = true;
        cboAddress->setCurrentIndex(-1);
        cboAddress->clearEditText();
        AddressListUpdating = false;
        cboAddress->setFocus(Qt::OtherFocusReason);
        return;
    }

    // The location is read once: nothing can change it while the handler runs, and reading
    // it for each of thousands of entries made the search the slowest part of a page change.
    int found = -1;
    Failure::skip([&] {
        QString location;
        try {
            location = m_parts->addressShown(ctlWebBrowser->LocationURL());
        } catch (const PlatformError &) {
            // A comparison that cannot be made counts as a match at that index.
            if (cboAddress->count() > 0)
                found = 0;
            return;
        }
        found = cboAddress->findText(location, Qt::MatchExactly | Qt::MatchCaseSensitive);
    });
    AddressListUpdating = true;
    if (found >= 0)
        cboAddress->removeItem(found);
    LastURLWasNew = found < 0;
    Failure::skip(
        [&] { cboAddress->insertItem(0, m_parts->addressShown(ctlWebBrowser->LocationURL())); });
    Failure::skip([&] {
        cboAddress->setCurrentIndex(0);
        // Setting the selection raises the box's Click, as a choice from the list would.
        cboAddress_Click();
    });
    AddressListUpdating = false;
}

void frmWebBrowser::timer1_Timer()
{
    if (ctlWebBrowser->Busy()) {
        setWindowTitle(tr("Processing..."));
    } else {
        setWindowTitle(ctlWebBrowser->LocationName());
        tbrProgress->setValue(0);
    }
}

void frmWebBrowser::picAnimation_Click()
{
    mnuLinksRestoreWebBrowser_Click();
}
