#include "ui/blockingcontrols.h"

#include "platform/api/contentblocking.h"
#include "platform/api/platform.h"
#include "platform/api/platformerror.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/hideelementdialog.h"
#include "ui/statusline.h"

#include <QAction>
#include <QPointer>
#include <QUrl>

// Choosing a checkable action has already flipped its mark: it shows the state kept, also
// when the choice could not be kept.
struct BlockingControls::ShowStateAfter
{
    BlockingControls &controls;
    ~ShowStateAfter() { controls.showState(); }
};

BlockingControls::BlockingControls(const FeatureContext &context, QAction *allowOnSite,
                                   QAction *blockingOn)
    : QObject(&context.window)
    , m_guarded(context.guarded)
    , m_window(context.window)
    , m_status(context.status)
    , m_blocking(*context.platform.blocking)
    , m_browser(context.page)
    , m_allowOnSite(allowOnSite)
    , m_blockingOn(blockingOn)
{
    for (QAction *action : { allowOnSite, blockingOn })
        action->setCheckable(true);
    connect(&m_blocking, &ContentBlocking::blockedCountChanged, this,
            [this](const WebBrowserControl *control) {
                if (control == &m_browser)
                    showStatus();
            });
    connect(&m_blocking, &ContentBlocking::updateFinished, this, &BlockingControls::showMessage);
    connect(&m_browser, &WebBrowserControl::NavigateComplete2, this, [this] {
        showState();
        showStatus();
    });
    showState();
}

QString BlockingControls::statusText() const
{
    if (!m_blocking.isEnabled())
        return tr("Blocking off");
    if (m_blocking.isAllowedOn(pageAddress()))
        return tr("Ads allowed on this site");
    const int count = m_blocking.blockedCount(&m_browser);
    return count > 0 ? tr("%1 blocked").arg(count) : QString();
}

void BlockingControls::toggleSiteAllowance()
{
    const ShowStateAfter after(*this);
    const QString page = pageAddress();
    m_blocking.setAllowedOn(page, !m_blocking.isAllowedOn(page));
    showStatus();
    m_browser.Refresh();
}

void BlockingControls::toggleBlocking()
{
    const ShowStateAfter after(*this);
    m_blocking.setEnabled(!m_blocking.isEnabled());
    showStatus();
    m_browser.Refresh();
}

void BlockingControls::updateLists()
{
    showMessage(tr("Updating the filter lists..."));
    m_blocking.updateLists();
}

void BlockingControls::hideElementOnPage()
{
    const QString host = QUrl(pageAddress()).host();
    if (host.isEmpty())
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("Elements can be hidden only on the pages of a web site."));
    auto *dialog = new HideElementDialog(host, m_browser.tools().SelectorAtMenuPoint(), &m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &HideElementDialog::hideRequested, this,
            [this, host, guarded = m_guarded,
             dialog = QPointer<HideElementDialog>(dialog)](const QString &selector) {
                guarded("actHideElement_Click", [&] {
                    try {
                        m_blocking.hideOnSite(&m_browser, host, selector);
                    } catch (const PlatformError &error) {
                        if (dialog)
                            dialog->refuse(error.description());
                        return;
                    }
                    // Asking the page may have taken a while, in which the dialog was closed.
                    if (dialog)
                        dialog->accept();
                });
            });
    dialog->open();
}

void BlockingControls::showState()
{
    if (m_blockingOn)
        m_blockingOn->setChecked(m_blocking.isEnabled());
    if (m_allowOnSite)
        m_allowOnSite->setChecked(m_blocking.isAllowedOn(pageAddress()));
}

QString BlockingControls::pageAddress() const
{
    try {
        return m_browser.LocationURL();
    } catch (const PlatformError &) {
        return QString(); // a page without an address has no site
    }
}

void BlockingControls::showStatus()
{
    m_status.set(StatusLine::Blocking, statusText());
}

void BlockingControls::showMessage(const QString &text)
{
    m_status.set(StatusLine::Message, text);
}

CommandTable BlockingControls::commands()
{
    using namespace Commands;
    static constexpr Command rows[] = {
        keys(
            "actAllowAds", QT_TRANSLATE_NOOP("frmWebBrowser", "Allow ads on this site"),
            "Ctrl+Shift+A",
            [](frmWebBrowser &w) { featureOf<BlockingControls>(w).toggleSiteAllowance(); },
            View::Browser, true),
        keys(
            "actBlocking", QT_TRANSLATE_NOOP("frmWebBrowser", "Block ads and trackers"),
            "Ctrl+Shift+B",
            [](frmWebBrowser &w) { featureOf<BlockingControls>(w).toggleBlocking(); }, View::Always,
            true),
        keys(
            "actHideElement", QT_TRANSLATE_NOOP("frmWebBrowser", "Hide this element..."), "",
            [](frmWebBrowser &w) { featureOf<BlockingControls>(w).hideElementOnPage(); },
            View::Browser, true),
        keys("actUpdateFilters", QT_TRANSLATE_NOOP("frmWebBrowser", "Update filter lists"),
             "Ctrl+Shift+U",
             [](frmWebBrowser &w) { featureOf<BlockingControls>(w).updateLists(); }),
    };
    return rows;
}
