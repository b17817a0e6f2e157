#pragma once

#include <QColor>
#include <QPalette>

// Colours that stay readable whatever the desktop's theme: the window's designed colours are
// kept where their text can be read, and give way to the theme's own where it cannot (a dark
// or high-contrast theme turns the text light, so a designed light background would hide it).
namespace ReadableColours {

// Below this contrast ratio a text is taken as unreadable on its background (the ratio
// asked of large text and of a control's parts by the usual accessibility guidelines).
inline constexpr double minimumContrast = 3.0;

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrast(const QColor &a, const QColor &b);

struct Pair
{
    QColor text;
    QColor background;
    bool operator==(const Pair &) const = default;
};

// The colours to show: the designed pair where it is readable; otherwise the theme's colour
// takes the place of each designed one that differs from it, the text first, so as much of
// the design stays as reading allows.
Pair fitted(const Pair &designed, const Pair &theme);

// A background that says "nothing found" in a text field: the theme's base colour tinted
// toward red, as far as its text stays readable on it.
QColor warningBackground(const QPalette &palette);

} // namespace ReadableColours
