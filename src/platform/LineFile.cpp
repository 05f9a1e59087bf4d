#include "platform/LineFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace platform {

TLineFile::TLineFile(const std::string& path, bool append) : path_(path) {
    if (path.empty()) throw std::runtime_error("Cannot open a file without a name");
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (append ? 0 : O_TRUNC);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) throw std::runtime_error("Cannot open file \"" + path + "\": " + std::strerror(errno));
    // Non-blocking only for the opening; writes wait like any other.
    const int fl = ::fcntl(fd_, F_GETFL);
    if (fl >= 0) ::fcntl(fd_, F_SETFL, fl & ~O_NONBLOCK);
}

TLineFile::~TLineFile() {
    if (fd_ >= 0) ::close(fd_);
}

void TLineFile::WriteLine(std::string_view line) {
    std::string data;
    data.reserve(line.size() + 2);
    data.append(line);
    data += "\r\n";
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("Cannot write file \"" + path_ + "\": " + std::strerror(errno));
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

}  // namespace platform
