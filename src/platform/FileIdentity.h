#pragma once
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// What tells one version of a file from another: the file itself (device and
// inode) and its size and modification time. Saving over a file, in place or
// by replacing it, changes at least one of them.
struct TFileIdentity {
    dev_t Dev = 0;
    ino_t Ino = 0;
    int64_t Size = 0;
    timespec MTime{};
    timespec ATime{};  // carried along for copying, not compared

    bool SameFileAs(const TFileIdentity& o) const { return Dev == o.Dev && Ino == o.Ino; }
    bool SameVersionAs(const TFileIdentity& o) const {
        return SameFileAs(o) && Size == o.Size && MTime.tv_sec == o.MTime.tv_sec && MTime.tv_nsec == o.MTime.tv_nsec;
    }
};

// The identity of what `path` names (links followed); false when there is
// nothing there.
bool ReadFileIdentity(const std::string& path, TFileIdentity& out);

// True when both paths exist and name one file, however each is reached
// (links, hard links, "..", a second mount of the same folder).
bool SameFile(const std::string& a, const std::string& b);

// Gives `path` the access and modification times recorded in `times`.
bool SetFileTimes(const std::string& path, const TFileIdentity& times);

}  // namespace platform
