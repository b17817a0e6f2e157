#pragma once

class SettingsStore;

// Dark pages as the engine draws them: its switches are read once, when it starts.
namespace DarkRendering {

// After the settings store opens and before the first page is made: adds the dark-rendering
// switches to the engine's when the user has dark pages on.
void applyAtStart(SettingsStore &settings);

} // namespace DarkRendering
