#pragma once

#include "platform/api/commondialog.h"

#include <optional>
#include <QString>

class SettingsStore;

// The shared common dialog as the window's print and save commands show it.
namespace CommandDialogs {

// What the print and save commands ask of the dialog.
constexpr int PrintFlags = CommonDialog::PrinterReturnDC | CommonDialog::PrinterPageNumbers;
constexpr int SaveFlags = CommonDialog::SaveOverwritePrompt;

// The kinds of file the window saves; each save dialog starts in the folder that the last
// save of its kind chose (kept across runs), else in the user's Documents folder.
enum class SavedFile { HtmlText, Picture, Page };

// The printer dialog: a cancel fails with the dialog's cancel error, and on success the
// dialog's hDC gives the chosen printer. Whatever pages the dialog was told to print, the
// commands print the whole document: every page restriction is let go.
void showPrinter(CommonDialog &dialog);
// The save dialog, offering the suggested name (none for the designed commands) and the
// filter's kinds of file: the chosen name, or nothing when the user cancelled.
std::optional<QString> showSave(CommonDialog &dialog, SettingsStore &settings, SavedFile kind,
                                const QString &suggestedName = QString(),
                                const QString &filter = QString());

} // namespace CommandDialogs
