#pragma once

#include "platform/api/historystore.h"
#include "platform/api/platform.h"

// The real platform of this desktop.
// historyRanking: how the history ranks addresses.
Platform makeDesktopPlatform(FrecencyRule historyRanking);
