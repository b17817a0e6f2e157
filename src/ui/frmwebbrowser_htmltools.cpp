// The browser window's HTML document tools: the source view, the link list and the fetch
// of a linked document.

#include "frmwebbrowser.h"
#include "internettransfer.h"
#include "linklist.h"
#include "messagebox.h"
#include "richtextarea.h"
#include "screenpointer.h"
#include "webbrowsercontrol.h"

#include <QComboBox>
#include <QFrame>

void frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click()
{
    showSourceView([this] { return ctlWebBrowser->DocumentBodyInnerHTML(); });
}

void frmWebBrowser::showSourceView(const std::function<QString()> &readSource)
{
    Failure::skip([&] { m_platform.screenPointer->setMousePointer(ScreenPointer::Hourglass); });
    Failure::skip([&] { picLinksListContainer->setVisible(true); });
    Failure::skip([&] { Text1->setText(QString()); });
    // A source that cannot be read leaves the view empty.
    QString source;
    Failure::skip([&] { source = readSource(); });
    Failure::skip([&] { Text1->setContent(source); });
    Failure::skip([&] { ctlWebBrowser->widget()->setVisible(false); });
    Failure::skip([&] { Text1->widget()->setVisible(true); });
    Failure::skip([&] { EnableCommandsProc(false); });
    Failure::skip([&] { Text1->SetFocus(); });
    Failure::skip([&] { m_platform.screenPointer->setMousePointer(ScreenPointer::Default); });
}

void frmWebBrowser::mnuLinksRestoreWebBrowser_Click()
{
    if (!ctlWebBrowser->widget()->isHidden()) {
        Text1->widget()->setVisible(false);
        return;
    }
    picLinksListContainer->setVisible(true);
    Text1->setText(QString());
    Text1->widget()->setVisible(false);
    ctlWebBrowser->widget()->setVisible(true);
    EnableCommandsProc(true);
}

void frmWebBrowser::mnuLinksListLinks_Click()
{
    if (cboAddress->currentText().isEmpty()) {
        m_platform.messageBox->MsgBox(tr("No URL/address yet"));
        return;
    }
    m_platform.screenPointer->setMousePointer(ScreenPointer::Hourglass);
    ctlWebBrowser->widget()->setVisible(true);
    Text1->widget()->setVisible(false);
    picLinksListContainer->setVisible(true);
    cboLinksList->clear();
    const QStringList links = ctlWebBrowser->DocumentLinkHrefs();
    cboLinksList->addItems(HtmlTools::listedLinks(links));
    m_platform.screenPointer->setMousePointer(ScreenPointer::Default);
    if (links.isEmpty()) {
        m_platform.messageBox->MsgBox(
            tr("No links listed, try a different level or a different URL"));
        return;
    }
    cboLinksList->setCurrentIndex(0);
    ctlWebBrowser->SetFocus();
}

void frmWebBrowser::mnuLinksDisplayLinkHTMLDoc_Click()
{
    const QString address = cboLinksList->currentText();
    if (address.isEmpty()) {
        m_platform.messageBox->MsgBox(tr("No listed links yet"));
        return;
    }
    showSourceView([this, &address] { return ctlInet->OpenURL(address); });
}

// Printing and saving the shown text come with their dialogs; until then these commands
// leave everything as it is.
void frmWebBrowser::mnuLinksPrintHTMLdoc_Click() { }
void frmWebBrowser::mnuLinksSaveHTMLdoc_Click() { }
