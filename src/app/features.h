#pragma once

#include "ui/feature.h"

// The browser window's features, in order: each is a unit of its own, made of the window's
// parts it names, and declares its own rows.
FeatureList browserFeatures();
