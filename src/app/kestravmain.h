#pragma once

#include <functional>

struct Platform;

// The program from start to end; main() is this call alone. adjust, when given, changes the
// desktop platform before the window is built: the start-up benchmark leaves stores out so.
int kestravMain(int argc, char *argv[], const std::function<void(Platform &)> &adjust = {});
