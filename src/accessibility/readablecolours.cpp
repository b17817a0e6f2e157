#include "accessibility/readablecolours.h"

#include <cmath>

namespace ReadableColours {

namespace {

// Relative luminance of an sRGB colour.
double luminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

bool readable(const Pair &pair)
{
    return contrast(pair.text, pair.background) >= minimumContrast;
}

QColor blend(const QColor &from, const QColor &to, double share)
{
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())),
                            float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Pair fitted(const Pair &designed, const Pair &theme)
{
    if (readable(designed))
        return designed;
    const Pair themeText { theme.text, designed.background };
    if (designed.text != theme.text && readable(themeText))
        return themeText;
    return theme;
}

QColor warningBackground(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    // A light base takes a pale red, a dark one a deep red; the text keeps its own colour.
    const QColor red = luminance(base) > luminance(text) ? QColor(255, 96, 96) : QColor(160, 0, 0);
    for (double share = 0.5; share > 0.0; share -= 0.05) {
        const QColor tinted = blend(base, red, share);
        if (contrast(text, tinted) >= 4.5)
            return tinted;
    }
    return base;
}

} // namespace ReadableColours
