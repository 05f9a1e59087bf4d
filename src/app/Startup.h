#pragma once
#include "app/WindowRun.h"

// The whole process: start-up, the run mode, the exit sequence. `window` is
// nullptr in a build without the GUI. Returns the process exit code.
int QuindleMain(int argc, char** argv, IWindowRun* window);
