#include "commanddialogs.h"

#include <QCoreApplication>

namespace CommandDialogs {

void showPrinter(CommonDialog &dialog)
{
    dialog.DialogTitle = QCoreApplication::translate("frmWebBrowser", "Print");
    dialog.CancelError = true;
    dialog.Flags = PrintFlags;
    dialog.ShowPrinter();
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
