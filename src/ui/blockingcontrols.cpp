#include "ui/blockingcontrols.h"

#include "platform/api/contentblocking.h"
#include "platform/api/pageevents.h"
#include "platform/api/pagetools.h"
#include "platform/api/platform.h"
#include "platform/api/platformerror.h"
// The blocking tells its news by the control; the signal's type needs the class declared.
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

std::unique_ptr<BlockingControls> BlockingControls::make(WindowParts &parts)
{
    return std::make_unique<BlockingControls>(
        parts.window, parts.status, *parts.platform.blocking, parts.page.identity,
        parts.page.events, parts.page.tools, parts.page.address, parts.page.reload, parts.guarded,
        parts.action(QStringLiteral("actAllowAds")), parts.action(QStringLiteral("actBlocking")));
}

BlockingControls::BlockingControls(QWidget &window, StatusLine &status, ContentBlocking &blocking,
                                   const WebBrowserControl *page, PageEvents &events,
                                   PageTools &tools, std::function<QString()> pageAddress,
                                   std::function<void()> reload, WindowParts::Runner guarded,
                                   QAction *allowOnSite, QAction *blockingOn)
    : QObject(&window)
    , m_guarded(std::move(guarded))
    , m_window(window)
    , m_status(status)
    , m_blocking(blocking)
    , m_page(page)
    , m_tools(tools)
    , m_pageAddress(std::move(pageAddress))
    , m_reload(std::move(reload))
    , m_allowOnSite(allowOnSite)
    , m_blockingOn(blockingOn)
{
    for (QAction *action : { allowOnSite, blockingOn })
        action->setCheckable(true);
    connect(&m_blocking, &ContentBlocking::blockedCountChanged, this,
            [this](const WebBrowserControl *control) {
                if (control == m_page)
                    showStatus();
            });
    connect(&m_blocking, &ContentBlocking::updateFinished, this, &BlockingControls::showMessage);
    connect(&events, &PageEvents::NavigateComplete2, this, [this] {
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
    const int count = m_blocking.blockedCount(m_page);
    return count > 0 ? tr("%1 blocked").arg(count) : QString();
}

void BlockingControls::toggleSiteAllowance()
{
    const ShowStateAfter after(*this);
    const QString page = pageAddress();
    m_blocking.setAllowedOn(page, !m_blocking.isAllowedOn(page));
    showStatus();
    m_reload();
}

void BlockingControls::toggleBlocking()
{
    const ShowStateAfter after(*this);
    m_blocking.setEnabled(!m_blocking.isEnabled());
    showStatus();
    m_reload();
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
    auto *dialog = new HideElementDialog(host, m_tools.SelectorAtMenuPoint(), &m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &HideElementDialog::hideRequested, this,
            [this, host, guarded = m_guarded,
             dialog = QPointer<HideElementDialog>(dialog)](const QString &selector) {
                guarded("actHideElement_Click", [&] {
                    try {
                        m_blocking.hideOnSite(m_page, host, selector);
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
        return m_pageAddress();
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

Commands::Rows<BlockingControls> BlockingControls::commands()
{
    using namespace Commands;
    static constexpr Row<BlockingControls> rows[] = {
        keys<BlockingControls>(
            "actAllowAds", QT_TRANSLATE_NOOP("frmWebBrowser", "Allow ads on this site"),
            "Ctrl+Shift+A", [](BlockingControls &unit) { unit.toggleSiteAllowance(); },
            View::Browser, true),
        keys<BlockingControls>(
            "actBlocking", QT_TRANSLATE_NOOP("frmWebBrowser", "Block ads and trackers"),
            "Ctrl+Shift+B", [](BlockingControls &unit) { unit.toggleBlocking(); }, View::Always,
            true),
        keys<BlockingControls>(
            "actHideElement", QT_TRANSLATE_NOOP("frmWebBrowser", "Hide this element..."), "",
            [](BlockingControls &unit) { unit.hideElementOnPage(); }, View::Browser, true),
        keys<BlockingControls>("actUpdateFilters",
                               QT_TRANSLATE_NOOP("frmWebBrowser", "Update filter lists"),
                               "Ctrl+Shift+U", [](BlockingControls &unit) { unit.updateLists(); }),
    };
    return rows;
}
