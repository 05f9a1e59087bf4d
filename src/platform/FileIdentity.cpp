#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

bool ReadFileIdentity(const std::string& path, TFileIdentity& out) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    out.Dev = st.st_dev;
    out.Ino = st.st_ino;
    out.Size = static_cast<int64_t>(st.st_size);
    out.MTime = st.st_mtim;
    out.ATime = st.st_atim;
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    TFileIdentity x, y;
    return ReadFileIdentity(a, x) && ReadFileIdentity(b, y) && x.SameFileAs(y);
}

bool SetFileTimes(const std::string& path, const TFileIdentity& times) {
    const struct timespec ts[2] = {times.ATime, times.MTime};
    return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
}

}  // namespace platform
