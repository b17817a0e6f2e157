#pragma once

#include <QObject>

class QPrinter;

// Printing the page itself, as opposed to a picture of the window.
class PagePrinting : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Lays the page out for the printer's pages and returns when it is printed. Fails with
    // PlatformError.
    virtual void PrintPage(QPrinter &printer) = 0;
    // While the page's print preview is open, the page may be slow to answer: that is no hang.
    virtual void SetPrintPreviewOpen(bool open) = 0;

Q_SIGNALS:
    // The page asks to be printed (window.print()).
    void PrintRequested();
};
