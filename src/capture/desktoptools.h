#pragma once

// The numbers the desktop tools hand to the common dialog and the browser control.
namespace Capture {

// Printer dialog: return the chosen printer's context (0x100), "Pages" preselected (0x2).
constexpr int PrinterDialogFlags = 0x102;
// Save dialog: ask before replacing an existing file.
constexpr int SaveDialogFlags = 2;

// The browser control's save-as command, run without asking the user.
constexpr int SaveAsCommand = 4;
constexpr int DontPromptUser = 2;

} // namespace Capture
