#pragma once

#include <functional>
#include <QObject>
#include <QString>

// The zoom of the page shown, 1.0 for 100 %.
class ZoomControl : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual qreal ZoomFactor() const = 0;
    virtual void SetZoomFactor(qreal factor) = 0;
    // Chooses the zoom of each page by its address, before the page first paints; the zoom
    // set for a page holds through the engine's own resets while it loads.
    virtual void SetZoomForAddress(std::function<qreal(const QString &url)> zoomFor) = 0;

Q_SIGNALS:
    // Ctrl and the wheel over the page: steps up (positive) or down.
    void ZoomStepRequested(int steps);
};
