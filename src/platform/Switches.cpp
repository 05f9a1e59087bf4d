#include "platform/Switches.h"

namespace platform {

std::atomic<bool> SkipLockFiles{false};

}  // namespace platform
