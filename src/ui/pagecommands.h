#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QString>

class DocumentAccess;
class PagePrinting;
class PageTools;
class SettingsStore;
class WebBrowserHost;

// What the window does with the page as a whole: save it and print it.
class PageCommands final
{
public:
    // Printing also starts when the page asks for it.
    static std::unique_ptr<PageCommands> make(WindowParts &parts);

    // pageTitle: the page's name, for the file's name.
    PageCommands(WebBrowserHost &host, SettingsStore &settings, DocumentAccess &document,
                 PagePrinting &printing, std::function<QString()> pageTitle,
                 WindowParts::Runner report);

    static Commands::Rows<PageCommands> commands();

    // Asks where, then saves the page complete or as a single file, as the chosen type says.
    void savePage();
    // The print preview of the page, from which it is printed.
    void printPage();

private:
    WebBrowserHost &m_host;
    SettingsStore &m_settings;
    DocumentAccess &m_document;
    PagePrinting &m_printing;
    std::function<QString()> m_pageTitle;
    WindowParts::Runner m_report;
};

// The page's inspector, last in the page's menu.
class PageInspector final
{
public:
    static std::unique_ptr<PageInspector> make(WindowParts &parts)
    {
        return std::make_unique<PageInspector>(parts.page.tools);
    }
    explicit PageInspector(PageTools &tools)
        : m_tools(tools)
    {
    }

    static Commands::Rows<PageInspector> commands();

    void inspect();

private:
    PageTools &m_tools;
};
