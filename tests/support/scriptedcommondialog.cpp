#include "scriptedcommondialog.h"

#include "platform/api/platformerror.h"

ScriptedCommonDialog::ScriptedCommonDialog(const QString &pdfPath)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
}

void ScriptedCommonDialog::show(const QString &kind)
{
    shown.append({ kind, DialogTitle, CancelError, Flags, FileName, InitDir, Filter });
    if (cancel && CancelError)
        throw PlatformError(ErrorCode::CommonDialogCancel, QStringLiteral("Cancel was selected."));
}

void ScriptedCommonDialog::ShowPrinter()
{
    m_printerChosen = false;
    show(QStringLiteral("printer"));
    m_printerChosen = !cancel && (Flags & PrinterReturnDC);
    if (!cancel && choose)
        choose(printer);
}

void ScriptedCommonDialog::ShowSave()
{
    show(QStringLiteral("save"));
    if (!cancel) {
        FileName = path;
        FilterIndex = filterChosen;
    }
}

void ScriptedCommonDialog::ShowPrintPreview(const std::function<void(QPrinter &)> &paint)
{
    show(QStringLiteral("preview"));
    if (!cancel)
        paint(printer);
}

QPrinter &ScriptedCommonDialog::hDC()
{
    if (!m_printerChosen)
        throw PlatformError(ErrorCode::InvalidProcedureCall, QStringLiteral("No printer chosen."));
    return printer;
}
