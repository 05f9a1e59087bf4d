#pragma once
#include <atomic>

namespace platform {

// Process-wide switches, set at start-up and read from any thread.

// Skip the owner files ("~$...") that spreadsheet programs leave beside open
// workbooks when searching a source.
extern std::atomic<bool> SkipLockFiles;

}  // namespace platform
