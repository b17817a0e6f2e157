// The browser window's HTML document tools: the source view, the link list, the fetch
// of a linked document, and print and save of the text shown.

#include "htmltools/fetchnotice.h"
#include "htmltools/linklist.h"
#include "platform/api/internettransfer.h"
#include "platform/api/messagebox.h"
#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/commanddialogs.h"
#include "ui/frmwebbrowser.h"
#include "ui/webbrowserhost.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>

namespace {

// Print and save need text; a failed fetch or an empty page body leaves none.
bool saysNothingToOutput(const RichTextArea &text, MessageBox &messages)
{
    if (!text.Text().isEmpty())
        return false;
    messages.MsgBox(QCoreApplication::translate(
        "frmWebBrowser", "You have not yet fetched HTML document or HTML document empty"));
    return true;
}

} // namespace

void frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click()
{
    const QString tooLarge
        = showSourceView([this] { return ctlWebBrowser->document().DocumentBodyInnerHTML(); });
    if (!tooLarge.isEmpty())
        m_status.set(StatusLine::Message, tooLarge);
}

QString frmWebBrowser::showSourceView(const std::function<QString()> &readSource)
{
    const BusyPointer busy(*m_platform.screenPointer);
    // An empty view says nothing by itself: a document too large to show is told.
    QString tooLarge;
    picLinksListContainer->setVisible(true);
    Failure::skip([&] { Text1->setText(QString()); });
    // A source that cannot be read leaves the view empty.
    QString source;
    Failure::skip([&] { HtmlTools::noteTooLarge(tooLarge, [&] { source = readSource(); }); });
    Failure::skip([&] { HtmlTools::noteTooLarge(tooLarge, [&] { Text1->setContent(source); }); });
    source.clear(); // the area holds it now
    ctlWebBrowser->widget()->setVisible(false);
    Text1->widget()->setVisible(true);
    Failure::skip([&] { EnableCommandsProc(false); });
    Failure::skip([&] { Text1->SetFocus(); });
    return tooLarge;
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
    QStringList links;
    {
        const BusyPointer busy(*m_platform.screenPointer);
        ctlWebBrowser->widget()->setVisible(true);
        Text1->widget()->setVisible(false);
        picLinksListContainer->setVisible(true);
        cboLinksList->clear();
        links = ctlWebBrowser->document().DocumentLinkHrefs();
        cboLinksList->addItems(HtmlTools::listedLinks(links));
    }
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
    // A failed fetch leaves the view empty without a box; the status bar says why, since an
    // empty view alone would look like an empty document.
    QString notice;
    const QString tooLarge = showSourceView([&] {
        try {
            return ctlInet->OpenURL(address);
        } catch (const PlatformError &error) {
            notice = HtmlTools::fetchFailureNotice(address, error.description());
            throw;
        }
    });
    m_status.set(StatusLine::Message, notice.isEmpty() ? tooLarge : notice);
}

void frmWebBrowser::mnuLinksPrintHTMLdoc_Click()
{
    m_guard.report("mnuLinkPrintHTMLDoc_Click", [&] {
        if (saysNothingToOutput(*Text1, *m_platform.messageBox))
            return;
        CommonDialog &dialog = m_host.commonDialog();
        CommandDialogs::showPrinter(dialog);
        Text1->SelPrint(dialog.hDC());
    });
}

void frmWebBrowser::mnuLinksSaveHTMLdoc_Click()
{
    m_guard.report("mnuLinkSaveHTMLDoc_Click", [&] {
        if (saysNothingToOutput(*Text1, *m_platform.messageBox))
            return;
        const std::optional<QString> target = CommandDialogs::showSave(
            m_host.commonDialog(), *m_platform.settings, CommandDialogs::SavedFile::HtmlText);
        if (!target)
            return;
        const BusyPointer busy(*m_platform.screenPointer);
        Text1->SaveFile(*target, RichTextArea::TextFile);
    });
}
