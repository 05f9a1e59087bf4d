#pragma once
#include <string>

namespace platform {

// An advisory lock (flock) on the folder that holds `path`, for a
// read-modify-write of a small file that several processes share (the usage
// counters, the recent list). The files themselves are replaced by a rename
// when written, so a lock on them would be lost with the old file; their
// folder stays. Blocks until the lock is held. Where the folder cannot be
// locked (missing, unreadable, a network file system that refuses it) the
// holder goes on without the lock: those files are a convenience, and a
// lost count beats a run that cannot start.
class TFolderLock {
public:
    explicit TFolderLock(const std::string& path);
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace platform
