#include "ui/pagecommands.h"

#include "capture/pagetextname.h"
#include "platform/api/commondialog.h"
#include "platform/api/platform.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/commanddialogs.h"
#include "ui/webbrowserhost.h"

#include <QCoreApplication>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

PageCommands::PageCommands(const FeatureContext &context)
    : m_host(context.host)
    , m_settings(*context.platform.settings)
    , m_page(context.page)
    , m_report(context.reportAndLeave)
{
}

void PageCommands::savePage()
{
    m_report("actSavePage_Click", [this] {
        const QString name
            = Capture::pageFileName(m_page.LocationName(), u".html"_s).value_or(u"page.html"_s);
        CommonDialog &dialog = m_host.commonDialog();
        const auto target = CommandDialogs::showSave(
            dialog, m_settings, CommandDialogs::SavedFile::Page, name,
            QCoreApplication::translate(
                "frmWebBrowser",
                "Web page, complete (*.html *.htm);;Web page, single file (*.mhtml)"));
        if (target)
            m_page.document().SavePage(*target, dialog.FilterIndex == 2);
    });
}

void PageCommands::printPage()
{
    m_report("actPrintPage_Click", [this] {
        CommonDialog &dialog = m_host.commonDialog();
        dialog.CancelError = true;
        PagePrinting &printing = m_page.printing();
        printing.SetPrintPreviewOpen(true);
        const auto closed = qScopeGuard([&] { printing.SetPrintPreviewOpen(false); });
        dialog.ShowPrintPreview([&](QPrinter &printer) { printing.PrintPage(printer); });
    });
}

void PageCommands::inspect()
{
    m_page.tools().ShowInspector();
}

CommandTable PageCommands::commands()
{
    using namespace Commands;
    static constexpr Command rows[] = {
        keys(
            "actSavePage", QT_TRANSLATE_NOOP("frmWebBrowser", "Save page..."), "Ctrl+S",
            [](frmWebBrowser &w) { featureOf<PageCommands>(w).savePage(); }, View::Browser),
        keys(
            "actPrintPage", QT_TRANSLATE_NOOP("frmWebBrowser", "Print page..."), "Ctrl+P",
            [](frmWebBrowser &w) { featureOf<PageCommands>(w).printPage(); }, View::Browser, true),
    };
    return rows;
}

CommandTable PageCommands::developerCommands()
{
    using namespace Commands;
    static constexpr Command rows[] = {
        keys(
            "actInspect", QT_TRANSLATE_NOOP("frmWebBrowser", "Inspect"), "F12; Ctrl+Shift+I",
            [](frmWebBrowser &w) { featureOf<PageCommands>(w).inspect(); }, View::Browser, true),
    };
    return rows;
}
