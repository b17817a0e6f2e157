#pragma once

#include "platform/api/zoomcontrol.h"

#include <functional>

class QUrl;
class QWebEnginePage;
class SingleWindowView;

// The page's zoom, chosen by the page's address and kept through the engine's own resets.
class WebEngineZoom final : public ZoomControl
{
    Q_OBJECT

public:
    // Made before anything else listens to the view's page: the zoom is set before a
    // committed page is reported.
    explicit WebEngineZoom(SingleWindowView *view);

    qreal ZoomFactor() const override { return m_zoom; }
    void SetZoomFactor(qreal factor) override;
    void SetZoomForAddress(std::function<qreal(const QString &url)> zoomFor) override;

private:
    // Takes the zoom that the address's site keeps, and shows the page at it.
    void zoomFor(const QUrl &url);
    // Shows the page at the zoom chosen for it, where the engine has let it go.
    void keepZoom();

    QWebEnginePage *m_page;
    std::function<qreal(const QString &)> m_zoomFor;
    qreal m_zoom = 1.0;
};
