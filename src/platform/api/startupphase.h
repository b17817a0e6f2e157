#pragma once

#include <functional>

class QObject;

// Marks for the start-up benchmark: each logs, under the category "kestrav.startup", the
// milliseconds since the program was loaded. The category is off unless enabled through
// QT_LOGGING_RULES, so a normal start pays one disabled-category check per mark.
void markStartupPhase(const char *phase);

class QString;

// The window's caption, each time it changes, logged as "caption <caption> <ms>".
void markStartupCaption(const QString &caption);

// The size at which the start page was shown, so that a comparison can show it as large.
void markStartupPageSize(int width, int height);

// Work that showing the start page does not need, and that would compete with it for the
// machine's cores: it runs once the start page has been shown, or at once when it has (or when
// the program has been running for a while without a start page, as a test may). Nothing runs
// if context is gone by then.
void afterStartPage(QObject *context, std::function<void()> work);

// The start page has loaded, or failed to: the work waiting for it runs after the next paint.
void startPageShown();

// While the category "kestrav.startup.paint" is enabled, each paint until the start page has
// loaded, and the next one, is logged as "paint <class> <name> <width>x<height> <ms>": a paint of
// the whole window after its first one is a layout step that came too late.
void watchStartupPaints();
