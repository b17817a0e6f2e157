#include "ui/page/pagezoom.h"

#include "navigation/sitezoom.h"
#include "platform/api/failure.h"
#include "platform/api/pageevents.h"
#include "platform/api/platform.h"
#include "platform/api/richtextarea.h"
#include "platform/api/settingsstore.h"
#include "platform/api/zoomcontrol.h"
#include "ui/statusline.h"

#include <QPointer>

std::unique_ptr<PageZoom> PageZoom::make(WindowParts &parts)
{
    return std::make_unique<PageZoom>(parts.page.zoom, parts.page.events, parts.page.address,
                                      parts.addressShown, parts.text, parts.status,
                                      parts.platform.settings, parts.guarded);
}

PageZoom::PageZoom(ZoomControl &zoom, PageEvents &events, std::function<QString()> pageAddress,
                   std::function<QString(const QString &)> siteAddressOf, RichTextArea &text,
                   StatusLine &status, std::shared_ptr<SettingsStore> settings,
                   const WindowParts::Runner &guarded)
    : m_zoom(zoom)
    , m_pageAddress(std::move(pageAddress))
    , m_siteAddressOf(std::move(siteAddressOf))
    , m_text(text)
    , m_status(status)
    , m_settings(std::move(settings))
{
    // Each page takes the zoom its site keeps, before it is drawn. The control may still ask
    // while the window goes, after this unit: the address then stands for itself.
    m_zoom.SetZoomForAddress(
        [unit = QPointer<PageZoom>(this), settings = m_settings](const QString &url) {
            return SiteZoom::forAddress(*settings, unit ? unit->m_siteAddressOf(url) : url);
        });
    // A new page may come at its site's own zoom.
    connect(&events, &PageEvents::DownloadComplete, this, &PageZoom::showStatus);
    connect(&m_zoom, &ZoomControl::ZoomStepRequested, this,
            [this, guarded](int steps) { guarded("actZoom_Click", [&] { stepBy(steps); }); });
}

void PageZoom::stepBy(int steps)
{
    for (int done = 0; done < qAbs(steps); ++done)
        step(steps > 0 ? 1 : -1);
}

void PageZoom::step(int direction)
{
    const auto next = [direction](qreal factor) {
        return direction == 0 ? 1.0 : SiteZoom::stepped(factor, direction > 0);
    };
    if (!m_pageShown) {
        m_textZoom = next(m_textZoom);
        m_text.SetZoom(m_textZoom);
        return;
    }
    const qreal factor = next(m_zoom.ZoomFactor());
    m_zoom.SetZoomFactor(factor);
    showStatus();
    SiteZoom::keep(*m_settings, m_siteAddressOf(m_pageAddress()), factor);
}

void PageZoom::showStatus()
{
    m_status.set(StatusLine::Zoom, statusText());
}

QString PageZoom::statusText() const
{
    const qreal zoom = m_zoom.ZoomFactor();
    return qFuzzyCompare(zoom, 1.0) ? QString() : tr("Zoom %1").arg(SiteZoom::percentText(zoom));
}

Commands::Rows<PageZoom> PageZoom::commands()
{
    using namespace Commands;
    static constexpr Row<PageZoom> rows[] = {
        keys<PageZoom>("actZoomIn", QT_TRANSLATE_NOOP("frmWebBrowser", "Zoom in"),
                       "Ctrl++; Ctrl+=; Ctrl+Num++", [](PageZoom &unit) { unit.zoomIn(); }),
        keys<PageZoom>("actZoomOut", QT_TRANSLATE_NOOP("frmWebBrowser", "Zoom out"),
                       "Ctrl+-; Ctrl+Num+-", [](PageZoom &unit) { unit.zoomOut(); }),
        keys<PageZoom>("actZoomReset", QT_TRANSLATE_NOOP("frmWebBrowser", "Actual size"),
                       "Ctrl+0; Ctrl+Num+0", [](PageZoom &unit) { unit.reset(); }),
    };
    return rows;
}
