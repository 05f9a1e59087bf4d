#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/InstallLayout.h"
#include "platform/Text.h"

namespace platform {

namespace {

std::string ErrText(int err) { return std::strerror(err); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

std::string XdgFolder(const char* var, const char* fallback) {
    const char* v = std::getenv(var);
    std::string base;
    // Relative values are invalid by the XDG rules and are ignored.
    if (v && v[0] == '/') {
        base = v;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + fallback;
    }
    if (base.empty() || base.back() != '/') base += '/';
    return base + "quindle/";
}

}  // namespace

void AtomicWriteFile(const std::string& path, std::string_view data, TDurability durability) {
    if (path.empty()) throw std::runtime_error("Cannot write a file without a name");
    std::string folder = FolderPart(path);
    // A name unique to this process and this write (one left behind by a
    // process that died with the same id is passed over), created with the
    // mode of any new file: the kernel applies the umask, which is never
    // changed here (it is shared by every thread).
    static std::atomic<uint64_t> serial{0};
    const std::string stem =
        (folder.empty() ? std::string("./") : folder) + "." + NamePart(path) + "." + std::to_string(::getpid()) + "-";
    std::string tmpl;
    int created = -1;
    for (int attempt = 0; created < 0; ++attempt) {
        tmpl = stem + std::to_string(serial++);
        created = ::open(tmpl.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && (errno != EEXIST || attempt == 100))
            throw std::runtime_error("Cannot create file \"" + path + "\": " + ErrText(errno));
    }
    Fd fd(created);
    // A replaced file keeps its mode.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd.get(), old.st_mode & 07777);
    auto fail = [&](const std::string& what, int err) {
        ::close(fd.release());
        ::unlink(tmpl.c_str());
        throw std::runtime_error(what + " \"" + path + "\": " + ErrText(err));
    };
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("Cannot write file", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (durability == TDurability::Flushed && ::fsync(fd.get()) != 0) fail("Cannot write file", errno);
    if (::close(fd.release()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        throw std::runtime_error("Cannot write file \"" + path + "\": " + ErrText(err));
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        throw std::runtime_error("Cannot replace file \"" + path + "\": " + ErrText(err));
    }
}

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return DirectoryExists(path);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CopyFileTime(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) return false;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    return ::utimensat(AT_FDCWD, to.c_str(), times, 0) == 0;
}

bool FolderWritable(const std::string& folder) {
    const std::string f = folder.empty() ? std::string(".") : folder;
    return DirectoryExists(f) && ::access(f.c_str(), W_OK | X_OK) == 0;
}

std::string StateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }
std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string WritableBeside(const std::string& exePath, const std::string& fileName) {
    const std::string folder = FolderPart(exePath);
    if (!IsInstalled(exePath) && FolderWritable(folder)) return folder + fileName;
    return StateFolder() + fileName;
}

std::string ReadWholeFile(const std::string& path, size_t maxBytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw std::runtime_error("Cannot open file \"" + path + "\": " + ErrText(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw std::runtime_error("Cannot read file \"" + path + "\": " + ErrText(errno));
    if (S_ISDIR(st.st_mode)) throw std::runtime_error("Cannot read file \"" + path + "\": it is a folder");
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("Cannot read file \"" + path + "\": " + ErrText(errno));
        }
        if (n == 0) break;
        if (out.size() + static_cast<size_t>(n) > maxBytes) {
            throw std::runtime_error("File \"" + path + "\" is too large");
        }
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

}  // namespace platform
