#include "commanddialogs.h"

#include <QCoreApplication>
#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>

namespace CommandDialogs {

void showPrinter(CommonDialog &dialog)
{
    dialog.DialogTitle = QCoreApplication::translate("frmWebBrowser", "Print");
    dialog.CancelError = true;
    dialog.Flags = PrintFlags;
    dialog.ShowPrinter();

    QPrinter &printer = dialog.hDC();
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setPageRanges(QPageRanges());
    // The print system's own page list and odd or even page set travel as options of the
    // job, which its dialog writes into the print engine.
    constexpr auto jobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    QStringList options = printer.printEngine()->property(jobOptions).toStringList();
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options.at(i) == QLatin1String("page-set")
            || options.at(i) == QLatin1String("page-ranges"))
            options.remove(i, 2);
        else
            i += 2;
    }
    printer.printEngine()->setProperty(jobOptions, options);
}

std::optional<QString> showSave(CommonDialog &dialog)
{
    dialog.FileName = QString();
    dialog.Flags = SaveFlags;
    dialog.ShowSave();
    if (dialog.FileName.isEmpty())
        return std::nullopt;
    return dialog.FileName;
}

} // namespace CommandDialogs
