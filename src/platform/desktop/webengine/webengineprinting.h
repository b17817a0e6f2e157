#pragma once

#include "platform/api/pageprinting.h"

class GuardedPage;
class PageWaiting;

// Printing the page, laid out by the engine for the printer's pages.
class WebEnginePrinting final : public PagePrinting
{
    Q_OBJECT

public:
    // The control waits for the engine's layout, and knows whether the page hangs meanwhile.
    WebEnginePrinting(PageWaiting &control, GuardedPage *page);

    void PrintPage(QPrinter &printer) override;
    void SetPrintPreviewOpen(bool open) override;

private:
    PageWaiting &m_control;
    GuardedPage *m_page;
};
