#include "platform/desktop/dialogs/desktopcommondialog.h"

#include "platform/api/platformerror.h"

#include <optional>
#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrintPreviewDialog>

DesktopCommonDialog::DesktopCommonDialog() = default;

DesktopCommonDialog::~DesktopCommonDialog() = default;

void DesktopCommonDialog::raiseCancelError() const
{
    if (CancelError)
        throw PlatformError(ErrorCode::CommonDialogCancel, tr("Cancel was selected."));
}

QPrinter &DesktopCommonDialog::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void DesktopCommonDialog::ShowPrintPreview(const std::function<void(QPrinter &)> &paint)
{
    QPrinter &target = printer();
    target.setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog dialog(&target, QApplication::activeWindow());
    if (!DialogTitle.isEmpty())
        dialog.setWindowTitle(DialogTitle);
    // A failure must not cross the dialog's event loop: it closes the preview and is raised
    // when the dialog has returned.
    std::optional<PlatformError> failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *shown) {
        if (failure)
            return;
        try {
            paint(*shown);
        } catch (const PlatformError &error) {
            failure = error;
            dialog.reject();
        }
    });
    const bool printed = dialog.exec() == QDialog::Accepted;
    if (failure)
        throw *failure;
    if (!printed)
        raiseCancelError();
}

void DesktopCommonDialog::ShowPrinter()
{
    m_printerReturned = false;
    QPrinter &target = printer();
    target.setPrintRange((Flags & PrinterPageNumbers) ? QPrinter::PageRange : QPrinter::AllPages);

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
    QFileDialog dialog(QApplication::activeWindow(), title,
                       InitDir.isEmpty() ? m_saveFolder : InitDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & SaveOverwritePrompt));
    const QStringList filters = Filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(FilterIndex - 1, filters.constFirst()));
    }
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        raiseCancelError();
        return;
    }
    FileName = dialog.selectedFiles().constFirst();
    if (!filters.isEmpty())
        FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    m_saveFolder = dialog.directory().absolutePath();
}

void DesktopCommonDialog::DropPrintSystemPageOptions()
{
    if (!m_printer)
        return;
    // They travel as options of the job, which the dialog writes into the print engine.
    constexpr auto jobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    QStringList options = m_printer->printEngine()->property(jobOptions).toStringList();
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options.at(i) == QLatin1String("page-set")
            || options.at(i) == QLatin1String("page-ranges"))
            options.remove(i, 2);
        else
            i += 2;
    }
    m_printer->printEngine()->setProperty(jobOptions, options);
}

QPrinter &DesktopCommonDialog::hDC()
{
    if (!m_printerReturned)
        throw PlatformError(ErrorCode::InvalidProcedureCall, tr("No printer was chosen."));
    return *m_printer;
}
