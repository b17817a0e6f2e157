#pragma once

#include "platform.h"

// The real platform of this desktop.
Platform makeDesktopPlatform();
