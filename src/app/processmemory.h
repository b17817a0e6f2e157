#pragma once

#include <chrono>

class QObject;

// How the process keeps its memory. Both are set once.

// Asks the C library to hand large freed blocks straight back to the system.
void returnLargeBlocksWhenFreed();

// Gives the free pages inside the heap back to the system every interval, on a timer that
// belongs to parent.
void returnFreedPagesEvery(std::chrono::milliseconds interval, QObject *parent);

// How often the program gives them back.
inline constexpr std::chrono::seconds FreedPagesInterval { 10 };
