#pragma once

// Marks for the start-up benchmark: each logs, under the category "kestrav.startup", the
// milliseconds since the program was loaded. The category is off unless enabled through
// QT_LOGGING_RULES, so a normal start pays one disabled-category check per mark.
void markStartupPhase(const char *phase);

class QString;

// The window's caption, each time it changes, logged as "caption <caption> <ms>".
void markStartupCaption(const QString &caption);

// The size at which the start page was shown, so that a comparison can show it as large.
void markStartupPageSize(int width, int height);
