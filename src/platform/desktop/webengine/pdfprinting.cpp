#include "platform/desktop/webengine/pdfprinting.h"

#include "platform/api/platformerror.h"
#include "platform/desktop/text/userfile.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryFile>

namespace {

// Pages are drawn at most this fine: a printer's full resolution would make pictures of
// hundreds of megabytes for a page.
constexpr int MaxDotsPerInch = 300;

QString tr(const char *text)
{
    return QCoreApplication::translate("PdfPrinting", text);
}

[[noreturn]] void fail(const QPrinter &printer)
{
    throw PlatformError(ErrorCode::PrinterError,
                        tr("The page could not be printed on %1.")
                            .arg(printer.outputFileName().isEmpty() ? printer.printerName()
                                                                    : printer.outputFileName()));
}

} // namespace

void printPdf(const QByteArray &document, QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        writeUserFile(printer.outputFileName(), document);
        return;
    }

    QTemporaryFile file;
    if (!file.open() || file.write(document) != document.size() || !file.flush())
        fail(printer);
    QPdfDocument pdf;
    if (pdf.load(file.fileName()) != QPdfDocument::Error::None || pdf.pageCount() == 0)
        fail(printer);

    QPainter painter;
    if (!painter.begin(&printer))
        fail(printer);
    const int dotsPerInch = qMin(printer.resolution(), MaxDotsPerInch);
    for (int page = 0; page < pdf.pageCount(); ++page) {
        if (page > 0 && !printer.newPage())
            fail(printer);
        const QSizeF points = pdf.pagePointSize(page);
        const QImage picture = pdf.render(page, (points * dotsPerInch / 72.0).toSize());
        const QRect area = painter.viewport();
        QSize fitted = picture.size().scaled(area.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(area.topLeft(), fitted), picture);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        fail(printer);
}
