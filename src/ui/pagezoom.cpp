#include "ui/pagezoom.h"

#include "navigation/sitezoom.h"
#include "platform/api/failure.h"
#include "platform/api/platform.h"
#include "platform/api/richtextarea.h"
#include "platform/api/settingsstore.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/api/zoomcontrol.h"
#include "ui/statusline.h"

PageZoom::PageZoom(const FeatureContext &context)
    : m_page(context.page)
    , m_text(context.text)
    , m_status(context.status)
    , m_settings(context.platform.settings)
{
    // Each page takes the zoom its site keeps, before it is drawn.
    m_page.zoom().SetZoomForAddress([settings = m_settings](const QString &url) {
        return SiteZoom::forAddress(*settings, url);
    });
    // A new page may come at its site's own zoom.
    connect(&m_page, &WebBrowserControl::DownloadComplete, this, &PageZoom::showStatus);
    connect(&m_page.zoom(), &ZoomControl::ZoomStepRequested, this,
            [this, guarded = context.guarded](int steps) {
                guarded("actZoom_Click", [&] { stepBy(steps); });
            });
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
    const qreal factor = next(m_page.zoom().ZoomFactor());
    m_page.zoom().SetZoomFactor(factor);
    showStatus();
    SiteZoom::keep(*m_settings, m_page.LocationURL(), factor);
}

void PageZoom::showStatus()
{
    m_status.set(StatusLine::Zoom, statusText());
}

QString PageZoom::statusText() const
{
    const qreal zoom = m_page.zoom().ZoomFactor();
    return qFuzzyCompare(zoom, 1.0) ? QString() : tr("Zoom %1").arg(SiteZoom::percentText(zoom));
}

CommandTable PageZoom::commands()
{
    using namespace Commands;
    static constexpr Command rows[] = {
        keys("actZoomIn", QT_TRANSLATE_NOOP("frmWebBrowser", "Zoom in"),
             "Ctrl++; Ctrl+=; Ctrl+Num++",
             [](frmWebBrowser &w) { featureOf<PageZoom>(w).zoomIn(); }),
        keys("actZoomOut", QT_TRANSLATE_NOOP("frmWebBrowser", "Zoom out"), "Ctrl+-; Ctrl+Num+-",
             [](frmWebBrowser &w) { featureOf<PageZoom>(w).zoomOut(); }),
        keys("actZoomReset", QT_TRANSLATE_NOOP("frmWebBrowser", "Actual size"),
             "Ctrl+0; Ctrl+Num+0", [](frmWebBrowser &w) { featureOf<PageZoom>(w).reset(); }),
    };
    return rows;
}
