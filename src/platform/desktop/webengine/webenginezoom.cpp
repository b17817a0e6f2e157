#include "platform/desktop/webengine/webenginezoom.h"

#include "platform/api/failure.h"
#include "platform/desktop/webengine/singlewindowview.h"

#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <utility>

WebEngineZoom::WebEngineZoom(SingleWindowView *view)
    : m_page(view->page())
{
    // The zoom is set as the load starts and again as its address commits, before anything
    // is drawn; the engine's own reset of the zoom during the load is undone at its end.
    connect(m_page, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo &info) {
                if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                    zoomFor(info.url());
            });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (!url.isEmpty())
            zoomFor(url);
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebEngineZoom::keepZoom);
    connect(view, &SingleWindowView::zoomStepAsked, this, &ZoomControl::ZoomStepRequested);
}

void WebEngineZoom::SetZoomFactor(qreal factor)
{
    m_zoom = factor;
    m_page->setZoomFactor(factor);
}

void WebEngineZoom::SetZoomForAddress(std::function<qreal(const QString &)> zoomFor)
{
    m_zoomFor = std::move(zoomFor);
}

void WebEngineZoom::zoomFor(const QUrl &url)
{
    if (m_zoomFor)
        Failure::skip([&] { m_zoom = m_zoomFor(url.toString()); });
    keepZoom();
}

void WebEngineZoom::keepZoom()
{
    if (!qFuzzyCompare(m_page->zoomFactor(), m_zoom))
        m_page->setZoomFactor(m_zoom);
}
