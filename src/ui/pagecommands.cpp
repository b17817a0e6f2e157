#include "ui/pagecommands.h"

#include "capture/pagetextname.h"
#include "platform/api/commondialog.h"
#include "platform/api/documentaccess.h"
#include "platform/api/pageprinting.h"
#include "platform/api/pagetools.h"
#include "platform/api/platform.h"
#include "platform/api/settingsstore.h"
#include "ui/commanddialogs.h"
#include "ui/webbrowserhost.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QWidget>

using namespace Qt::StringLiterals;

std::unique_ptr<PageCommands> PageCommands::make(WindowParts &parts)
{
    auto unit = std::make_unique<PageCommands>(parts.host, *parts.platform.settings,
                                               parts.page.document, parts.page.printing,
                                               parts.page.title, parts.reportAndLeave);
    QObject::connect(&parts.page.printing, &PagePrinting::PrintRequested, &parts.window,
                     [&parts, page = unit.get()] {
                         parts.userHandler("actPrintPage_Click", [page] { page->printPage(); });
                     });
    return unit;
}

PageCommands::PageCommands(WebBrowserHost &host, SettingsStore &settings, DocumentAccess &document,
                           PagePrinting &printing, std::function<QString()> pageTitle,
                           WindowParts::Runner report)
    : m_host(host)
    , m_settings(settings)
    , m_document(document)
    , m_printing(printing)
    , m_pageTitle(std::move(pageTitle))
    , m_report(std::move(report))
{
}

void PageCommands::savePage()
{
    m_report("actSavePage_Click", [this] {
        const QString name
            = Capture::pageFileName(m_pageTitle(), u".html"_s).value_or(u"page.html"_s);
        CommonDialog &dialog = m_host.commonDialog();
        const auto target = CommandDialogs::showSave(
            dialog, m_settings, CommandDialogs::SavedFile::Page, name,
            QCoreApplication::translate(
                "frmWebBrowser",
                "Web page, complete (*.html *.htm);;Web page, single file (*.mhtml)"));
        if (target)
            m_document.SavePage(*target, dialog.FilterIndex == 2);
    });
}

void PageCommands::printPage()
{
    m_report("actPrintPage_Click", [this] {
        CommonDialog &dialog = m_host.commonDialog();
        dialog.CancelError = true;
        PagePrinting &printing = m_printing;
        printing.SetPrintPreviewOpen(true);
        const auto closed = qScopeGuard([&] { printing.SetPrintPreviewOpen(false); });
        dialog.ShowPrintPreview([&](QPrinter &printer) { printing.PrintPage(printer); });
    });
}

void PageInspector::inspect()
{
    m_tools.ShowInspector();
}

Commands::Rows<PageCommands> PageCommands::commands()
{
    using namespace Commands;
    static constexpr Row<PageCommands> rows[] = {
        keys<PageCommands>(
            "actSavePage", QT_TRANSLATE_NOOP("frmWebBrowser", "Save page..."), "Ctrl+S",
            [](PageCommands &unit) { unit.savePage(); }, View::Browser),
        keys<PageCommands>(
            "actPrintPage", QT_TRANSLATE_NOOP("frmWebBrowser", "Print page..."), "Ctrl+P",
            [](PageCommands &unit) { unit.printPage(); }, View::Browser, true),
    };
    return rows;
}

Commands::Rows<PageInspector> PageInspector::commands()
{
    using namespace Commands;
    static constexpr Row<PageInspector> rows[] = {
        keys<PageInspector>(
            "actInspect", QT_TRANSLATE_NOOP("frmWebBrowser", "Inspect"), "F12; Ctrl+Shift+I",
            [](PageInspector &unit) { unit.inspect(); }, View::Browser, true),
    };
    return rows;
}
