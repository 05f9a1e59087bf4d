#pragma once
#include <atomic>

// When on, the folder search skips the owner files ("~$" names) that office
// programs keep beside open documents. Off until start-up turns it on.
extern std::atomic<bool> SkipLockFiles;
