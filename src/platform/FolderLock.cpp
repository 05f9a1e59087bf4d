#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Text.h"

namespace platform {

TFolderLock::TFolderLock(const std::string& path) {
    const std::string folder = FolderPart(path);
    fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    held_ = rc == 0;
}

TFolderLock::~TFolderLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
