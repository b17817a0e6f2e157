#pragma once

#include "commondialog.h"

#include <optional>
#include <QString>

// The shared common dialog as the window's print and save commands show it.
namespace CommandDialogs {

// What the print and save commands ask of the dialog.
constexpr int PrintFlags = CommonDialog::PrinterReturnDC | CommonDialog::PrinterPageNumbers;
constexpr int SaveFlags = CommonDialog::SaveOverwritePrompt;

// The printer dialog: a cancel fails with the dialog's cancel error, and on success the
// dialog's hDC gives the chosen printer. Whatever pages the dialog was told to print, the
// commands print the whole document: every page restriction is let go.
void showPrinter(CommonDialog &dialog);
// The save dialog, offering no name of its own: the chosen name, or nothing when the user
// cancelled.
std::optional<QString> showSave(CommonDialog &dialog);

} // namespace CommandDialogs
