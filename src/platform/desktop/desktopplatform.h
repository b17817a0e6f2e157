#pragma once

#include "historystore.h"
#include "platform.h"

// The real platform of this desktop.
// historyRanking: how the history ranks addresses.
Platform makeDesktopPlatform(FrecencyRule historyRanking);
