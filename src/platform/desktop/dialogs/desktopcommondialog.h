#pragma once

#include "platform/api/commondialog.h"

#include <memory>
#include <QCoreApplication>

// The common dialog on Qt's printer and file dialogs. One object serves every command, so the
// printer chosen last and the folder of the last save carry to the next dialog, like the
// properties do.
class DesktopCommonDialog final : public CommonDialog
{
    Q_DECLARE_TR_FUNCTIONS(DesktopCommonDialog)

public:
    DesktopCommonDialog();
    ~DesktopCommonDialog() override;

    void ShowPrinter() override;
    void ShowSave() override;
    QPrinter &hDC() override;
    void DropPrintSystemPageOptions() override;
    void ShowPrintPreview(const std::function<void(QPrinter &)> &paint) override;

private:
    // A cancel fails only when CancelError asks for it.
    void raiseCancelError() const;

    QPrinter &printer();

    // Made at the first printer dialog: finding the system's printers takes a while.
    std::unique_ptr<QPrinter> m_printer;
    bool m_printerReturned = false;
    // The title that the last printer dialog showed.
    QString m_printerTitle;
    QString m_saveFolder;
};
