#pragma once

#include "ui/commandtable.h"

#include <functional>
#include <QString>

class SettingsStore;
class WebBrowserControl;
class WebBrowserHost;

// What the window does with the page as a whole: save it, print it, inspect it.
class PageCommands final
{
public:
    // Runs a command's work: a failure ends it and is shown under name.
    using Report = std::function<void(const char *name, const std::function<void()> &work)>;

    PageCommands(WebBrowserHost &host, SettingsStore &settings, WebBrowserControl &page,
                 Report report);

    // Save and print, and after the blocking controls in the page's menu, the inspector.
    static CommandTable commands();
    static CommandTable developerCommands();

    // Asks where, then saves the page complete or as a single file, as the chosen type says.
    void savePage();
    // The print preview of the page, from which it is printed.
    void printPage();
    void inspect();

private:
    WebBrowserHost &m_host;
    SettingsStore &m_settings;
    WebBrowserControl &m_page;
    Report m_report;
};
