#pragma once

#include <QList>

// F6 and Shift+F6 move the keyboard from one pane of a window to the next, skipping the panes
// that are not shown, and going round at the ends.
namespace PaneCycle {

// The pane after (or before) current among those shown; current is -1 when the focus is in
// none of them, and the first (or last) shown pane comes next. -1 when none is shown.
int next(const QList<bool> &shown, int current, bool backward);

} // namespace PaneCycle
