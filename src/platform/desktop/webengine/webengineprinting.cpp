#include "platform/desktop/webengine/webengineprinting.h"

#include "platform/api/platformerror.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/pagewaiting.h"
#include "platform/desktop/webengine/pdfprinting.h"

#include <QPrinter>
#include <QScopeGuard>

namespace {

// Laying out a long page for a printer takes a while.
constexpr int PrintTimeoutMs = 120'000;

} // namespace

WebEnginePrinting::WebEnginePrinting(PageWaiting &control, GuardedPage *page)
    : m_control(control)
    , m_page(page)
{
    connect(m_page, &GuardedPage::printAsked, this, &PagePrinting::PrintRequested);
}

void WebEnginePrinting::PrintPage(QPrinter &printer)
{
    m_control.requireDocument();
    // Laying out a long page keeps its process busy: that is no hang.
    SetPrintPreviewOpen(true);
    const auto resume = qScopeGuard([this] { SetPrintPreviewOpen(false); });
    // The engine lays the page out as a PDF document for the printer's pages.
    using Callback = PageWaiting::Callback;
    const QByteArray document
        = m_control
              .waitForAnswer(
                  [this, layout = printer.pageLayout()](const Callback &done) {
                      m_page->printToPdf([done](const QByteArray &pdf) { done(QVariant(pdf)); },
                                         layout);
                  },
                  PrintTimeoutMs)
              .toByteArray();
    if (document.isEmpty())
        throw PlatformError(ErrorCode::PrinterError,
                            tr("The page could not be laid out for printing."));
    printPdf(document, printer);
}

void WebEnginePrinting::SetPrintPreviewOpen(bool open)
{
    m_control.holdHangWatch(open);
}
