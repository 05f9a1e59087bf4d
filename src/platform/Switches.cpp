#include "platform/Switches.h"

std::atomic<bool> SkipLockFiles{false};
