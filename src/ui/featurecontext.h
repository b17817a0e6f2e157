#pragma once

#include <functional>

class QWidget;
class RichTextArea;
class StatusLine;
class WebBrowserControl;
class WebBrowserHost;
struct Platform;

// What the browser window hands each of its feature units: the parts a unit may use, so that
// a unit connects its own signals and says its own news without knowing the window's members.
struct FeatureContext
{
    using Work = std::function<void()>;
    using Runner = std::function<void(const char *name, const Work &work)>;

    WebBrowserHost &host;
    // The browser window, as the parent of what a unit shows or owns.
    QWidget &window;
    WebBrowserControl &page;
    // The text shown in the page's place (a source, a list of links).
    RichTextArea &text;
    StatusLine &status;
    Platform &platform;
    // Runs a handler that Qt calls: a failure is shown under name and the window goes on.
    Runner guarded;
    // Runs a handler that the user started: the status line's message is cleared first.
    Runner userHandler;
    // Runs a command's work: a failure ends it and is shown under name; a dialog's cancel
    // ends it quietly.
    Runner reportAndLeave;
};
