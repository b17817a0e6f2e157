// The browser window's everyday browsing: the usual keys, find in the view shown, zoom kept
// per site, printing the page itself and the page's developer tools.

#include "blockingcontrols.h"
#include "commondialog.h"
#include "findbar.h"
#include "frmwebbrowser.h"
#include "richtextarea.h"
#include "settingsstore.h"
#include "sitezoom.h"
#include "textsearch.h"
#include "webbrowsercontrol.h"
#include "webbrowserhost.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

void frmWebBrowser::connectBrowsing()
{
    m_blocking = new BlockingControls(*m_platform.blocking, *ctlWebBrowser,
                                      menuItem(QStringLiteral("actAllowAds")),
                                      menuItem(QStringLiteral("actBlocking")), this);
    connect(m_blocking, &BlockingControls::statusChanged, this,
            [this] { guarded("blocking_StatusChange", [&] { setStatusLine(m_statusLine); }); });
    connect(m_blocking, &BlockingControls::message, this, [this](const QString &text) {
        guarded("blocking_Message", [&] { setStatusLine(text); });
    });
    // Each page takes the zoom its site keeps, before it is drawn.
    ctlWebBrowser->SetZoomForAddress([settings = m_platform.settings](const QString &url) {
        return SiteZoom::forAddress(*settings, url);
    });

    QList<QAction *> pageMenu;
    for (const Commands::Command &command : commands()) {
        if (command.inPageMenu)
            pageMenu.append(menuItem(QString::fromLatin1(command.name)));
    }
    ctlWebBrowser->SetContextMenuActions(pageMenu);

    connect(m_findBar, &FindBar::searchChanged, this,
            [this] { guarded("findBar_Change", [&] { findInView(false, false); }); });
    connect(m_findBar, &FindBar::nextRequested, this,
            [this] { guarded("findBar_Next", [&] { findNext(); }); });
    connect(m_findBar, &FindBar::previousRequested, this,
            [this] { guarded("findBar_Previous", [&] { findPrevious(); }); });
    connect(m_findBar, &FindBar::closeRequested, this,
            [this] { guarded("findBar_Close", [&] { closeFindBar(); }); });
    connect(ctlWebBrowser, &WebBrowserControl::FindResult, m_findBar, &FindBar::showResult);
    connect(ctlWebBrowser, &WebBrowserControl::PrintRequested, this, [this] {
        beginCommand();
        guarded("actPrintPage_Click", [&] { printPage(); });
    });
    connect(ctlWebBrowser, &WebBrowserControl::ZoomStepRequested, this, [this](int steps) {
        guarded("actZoom_Click", [&] {
            for (int step = 0; step < qAbs(steps); ++step)
                zoomBy(steps > 0 ? 1 : -1);
        });
    });
    // A new page: the find bar, kept open, searches it; the panel shows its site's zoom.
    connect(ctlWebBrowser, &WebBrowserControl::DownloadComplete, this, [this] {
        guarded("ctlWebBrowser_DownloadComplete", [&] {
            if (!m_findBar->isHidden() && !m_findBar->text().isEmpty())
                findInView(false, false);
            setStatusLine(m_statusLine);
            updateEscapeKey();
        });
    });
    connect(ctlWebBrowser, &WebBrowserControl::NavigateComplete2, this,
            [this] { guarded("ctlWebBrowser_NavigateComplete2", [&] { updateEscapeKey(); }); });
    connect(timer1, &QTimer::timeout, this, [this] { updateEscapeKey(); });
    updateEscapeKey();
}

void frmWebBrowser::focusAddressBox()
{
    cboAddress->setFocus(Qt::ShortcutFocusReason);
    cboAddress->lineEdit()->selectAll();
}

void frmWebBrowser::pressEscape()
{
    if (!m_findBar->isHidden()) {
        closeFindBar();
        return;
    }
    // Stop is a command of the browser view, like its button.
    if (ctlWebBrowser->Busy() && !ctlWebBrowser->widget()->isHidden())
        runCommandNamed("mnuGoStop");
    updateEscapeKey();
}

void frmWebBrowser::updateEscapeKey()
{
    menuItem(QStringLiteral("actStop"))
        ->setEnabled(!m_findBar->isHidden() || ctlWebBrowser->Busy());
}

void frmWebBrowser::toggleFullScreen()
{
    m_host.toggleFullScreen();
}

void frmWebBrowser::showFindBar()
{
    const bool opening = m_findBar->isHidden();
    placeFindBar();
    m_findBar->open();
    if (opening) {
        Form_Resize();
        updateEscapeKey();
        if (!m_findBar->text().isEmpty())
            findInView(false, false);
    }
}

void frmWebBrowser::findNext()
{
    if (m_findBar->isHidden())
        showFindBar();
    else
        findInView(false, true);
}

void frmWebBrowser::findPrevious()
{
    if (m_findBar->isHidden())
        showFindBar();
    else
        findInView(true, true);
}

void frmWebBrowser::closeFindBar()
{
    m_findBar->hide();
    ctlWebBrowser->FindText(QString(), false, false);
    if (m_textMatch >= 0)
        Text1->Select(int(m_textMatch), 0);
    m_textMatch = -1;
    Form_Resize();
    updateEscapeKey();
    if (!ctlWebBrowser->widget()->isHidden())
        ctlWebBrowser->SetFocus();
}

void frmWebBrowser::findInView(bool backward, bool again)
{
    const QString text = m_findBar->text();
    if (!ctlWebBrowser->widget()->isHidden()) {
        // The engine answers through FindResult.
        ctlWebBrowser->FindText(text, m_findBar->matchCase(), backward);
        if (text.isEmpty())
            m_findBar->showResult(0, 0);
        return;
    }
    // The source view counts its own matches; a new search starts at the match shown.
    const qsizetype shown = qMax<qsizetype>(m_textMatch, 0);
    const qsizetype from = again && !backward ? shown + 1 : shown;
    const HtmlTools::TextMatch match = HtmlTools::findInText(
        Text1->SearchText(), text, m_findBar->matchCase() ? Qt::CaseSensitive : Qt::CaseInsensitive,
        from, backward);
    m_textMatch = match.start;
    Text1->Select(int(qMax<qsizetype>(match.start, shown)), match.count > 0 ? int(text.size()) : 0);
    m_findBar->showResult(match.ordinal, match.count);
}

void frmWebBrowser::zoomIn()
{
    zoomBy(1);
}

void frmWebBrowser::zoomOut()
{
    zoomBy(-1);
}

void frmWebBrowser::zoomReset()
{
    zoomBy(0);
}

void frmWebBrowser::zoomBy(int step)
{
    const auto next
        = [step](qreal factor) { return step == 0 ? 1.0 : SiteZoom::stepped(factor, step > 0); };
    // The source view's zoom is only for this run; a page's is kept for its site.
    if (ctlWebBrowser->widget()->isHidden()) {
        m_textZoom = next(m_textZoom);
        Text1->SetZoom(m_textZoom);
        return;
    }
    const qreal factor = next(ctlWebBrowser->ZoomFactor());
    ctlWebBrowser->SetZoomFactor(factor);
    setStatusLine(m_statusLine);
    SiteZoom::keep(*m_platform.settings, ctlWebBrowser->LocationURL(), factor);
}

void frmWebBrowser::setStatusLine(const QString &text)
{
    m_statusLine = text;
    QStringList parts;
    if (!text.isEmpty())
        parts.append(text);
    const qreal zoom = ctlWebBrowser->ZoomFactor();
    if (!qFuzzyCompare(zoom, 1.0))
        parts.append(tr("Zoom %1").arg(SiteZoom::percentText(zoom)));
    if (const QString blocked = m_blocking ? m_blocking->statusText() : QString();
        !blocked.isEmpty())
        parts.append(blocked);
    m_host.setStatusText(parts.join(QStringLiteral("; ")));
}

void frmWebBrowser::printPage()
{
    reportAndLeave("actPrintPage_Click", [&] {
        CommonDialog &dialog = m_host.commonDialog();
        dialog.CancelError = true;
        dialog.ShowPrintPreview([this](QPrinter &printer) { ctlWebBrowser->PrintPage(printer); });
    });
}

void frmWebBrowser::showInspector()
{
    ctlWebBrowser->ShowInspector();
}

void frmWebBrowser::allowAdsOnSite()
{
    m_blocking->toggleSiteAllowance();
}

void frmWebBrowser::toggleBlocking()
{
    m_blocking->toggleBlocking();
}

void frmWebBrowser::updateFilterLists()
{
    m_blocking->updateLists();
}
