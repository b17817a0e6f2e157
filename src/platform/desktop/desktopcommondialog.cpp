#include "desktopcommondialog.h"

#include "platformerror.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

DesktopCommonDialog::DesktopCommonDialog() = default;

DesktopCommonDialog::~DesktopCommonDialog() = default;

void DesktopCommonDialog::raiseCancelError() const
{
    if (CancelError)
        throw PlatformError(ErrorCode::CommonDialogCancel, tr("Cancel was selected."));
}

void DesktopCommonDialog::ShowPrinter()
{
    m_printerReturned = false;
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setPrintRange((Flags & PrinterPageNumbers) ? QPrinter::PageRange
                                                          : QPrinter::AllPages);

    QPrintDialog dialog(m_printer.get(), QApplication::activeWindow());
    // No "Selection" or "Current page": what is printed is for the caller to decide.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintCollateCopies
                      | QAbstractPrintDialog::PrintShowPageSize);
    if (!DialogTitle.isEmpty())
        dialog.setWindowTitle(DialogTitle);
    m_printerTitle = dialog.windowTitle();
    if (dialog.exec() != QDialog::Accepted) {
        raiseCancelError();
        return;
    }
    m_printerReturned = (Flags & PrinterReturnDC) != 0;
}

void DesktopCommonDialog::ShowSave()
{
    // The save commands set no title of their own; "Print", left by the last printer dialog,
    // would tell the user the wrong thing.
    const QString title
        = DialogTitle.isEmpty() || DialogTitle == m_printerTitle ? tr("Save As") : DialogTitle;
    QFileDialog dialog(QApplication::activeWindow(), title, m_saveFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & SaveOverwritePrompt));
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        raiseCancelError();
        return;
    }
    FileName = dialog.selectedFiles().constFirst();
    m_saveFolder = dialog.directory().absolutePath();
}

QPrinter &DesktopCommonDialog::hDC()
{
    if (!m_printerReturned)
        throw PlatformError(ErrorCode::InvalidProcedureCall, tr("No printer was chosen."));
    return *m_printer;
}
