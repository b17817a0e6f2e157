#include "ui/twips.h"

#include "platform/api/platformerror.h"

#include <cmath>
#include <QWidget>

namespace Twips {

float perPixel(const QWidget *widget)
{
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return 1440.0f / float(dpi > 0 ? dpi : 96);
}

int toPixels(const QWidget *widget, float twips)
{
    return int(std::lround(twips / perPixel(widget)));
}

float fromPixels(const QWidget *widget, int pixels)
{
    return float(pixels) * perPixel(widget);
}

float left(const QWidget *control)
{
    return fromPixels(control, control->x());
}

float top(const QWidget *control)
{
    return fromPixels(control, control->y());
}

float width(const QWidget *control)
{
    return fromPixels(control, control->width());
}

float height(const QWidget *control)
{
    return fromPixels(control, control->height());
}

static void refuseNegative(float twips)
{
    if (twips < 0 || !std::isfinite(twips))
        throw PlatformError(ErrorCode::InvalidPropertyValue,
                            QStringLiteral("Invalid property value"));
}

void setTop(QWidget *control, float twips)
{
    control->move(control->x(), toPixels(control, twips));
}

void setWidth(QWidget *control, float twips)
{
    refuseNegative(twips);
    control->resize(toPixels(control, twips), control->height());
}

void setHeight(QWidget *control, float twips)
{
    refuseNegative(twips);
    control->resize(control->width(), toPixels(control, twips));
}

void setGeometry(QWidget *control, float left, float top, float width, float height)
{
    refuseNegative(width);
    refuseNegative(height);
    control->setGeometry(toPixels(control, left), toPixels(control, top), toPixels(control, width),
                         toPixels(control, height));
}

} // namespace Twips
