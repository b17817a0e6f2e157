#pragma once

#include "ui/commandtable.h"
#include "ui/featurecontext.h"

#include <QString>

class SettingsStore;
class WebBrowserControl;
class WebBrowserHost;

// What the window does with the page as a whole: save it, print it, inspect it.
class PageCommands final
{
public:
    explicit PageCommands(const FeatureContext &context);

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
    FeatureContext::Runner m_report;
};
