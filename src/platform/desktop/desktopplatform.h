#pragma once

#include "platform/api/historystore.h"
#include "platform/api/platform.h"

#include <functional>
#include <memory>

// What the program's rules add to the desktop's services. They are handed in from above, so
// that the adapters stay free of the rules.
struct DesktopRules
{
    // How the history ranks addresses.
    FrecencyRule historyRanking;
    // Wraps the settings file's store; every part that keeps settings shares what it returns.
    std::function<std::shared_ptr<SettingsStore>(std::shared_ptr<SettingsStore> file)> keepSettings;
    // Wraps the desktop's questions; kept is the shared settings store, where answers may be
    // remembered.
    std::function<std::shared_ptr<UserQuestions>(std::shared_ptr<UserQuestions> asked,
                                                 std::shared_ptr<SettingsStore> kept)>
        askQuestions;
};

// The real platform of this desktop. A rule left empty leaves its service as the desktop has it.
Platform makeDesktopPlatform(DesktopRules rules);
