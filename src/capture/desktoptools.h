#pragma once

// The numbers the desktop tools hand to the browser control.
namespace Capture {

// The browser control's save-as command, run without asking the user.
constexpr int SaveAsCommand = 4;
constexpr int DontPromptUser = 2;

} // namespace Capture
