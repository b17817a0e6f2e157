#pragma once

// Asks the C library to hand large freed blocks straight back to the system, for the whole
// process. Called once, at the start.
void returnLargeBlocksWhenFreed();
