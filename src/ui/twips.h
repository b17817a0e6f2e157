#pragma once

#include <QRect>

class QWidget;

// Positions and sizes are kept in twips, as single-precision numbers, and converted at the
// widget edge with the screen's real factor (15 twips a pixel at 96 dpi).
namespace Twips {

float perPixel(const QWidget *widget);
int toPixels(const QWidget *widget, float twips);
float fromPixels(const QWidget *widget, int pixels);

float left(const QWidget *control);
float top(const QWidget *control);
float width(const QWidget *control);
float height(const QWidget *control);

// A negative size is refused with PlatformError, and the control keeps its size.
void setTop(QWidget *control, float twips);
void setWidth(QWidget *control, float twips);
void setHeight(QWidget *control, float twips);
void setGeometry(QWidget *control, float left, float top, float width, float height);

} // namespace Twips
