#include "sheets/html/PageFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "sheets/Errors.h"
#include "sheets/html/LateClose.h"

namespace sheets::html {

namespace {

constexpr std::string_view kTempPrefix = ".quindle-";
constexpr std::string_view kTempSuffix = ".tmp";

[[noreturn]] void Fail(int err) { throw std::system_error(err, std::generic_category()); }

// The folder part of a path, ending in '/', or empty for the current folder.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

const char* Opened(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

// How an unnamed file gets a name here: by its descriptor (needs a
// capability ordinary users lack), through /proc, or not at all (no /proc),
// learnt from the first page and kept for the process.
enum LinkWay : int { kByDescriptor, kThroughProc, kNoLink };
std::atomic<int> linkWay{kByDescriptor};

// Links the unnamed file `fd` as `to`; false with errno set when it cannot.
bool LinkUnnamed(int fd, const std::string& to) {
    if (linkWay.load(std::memory_order_relaxed) == kByDescriptor) {
        if (::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != ENOENT && errno != EPERM) return false;
    }
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, path, AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        linkWay.store(kThroughProc, std::memory_order_relaxed);
        return true;
    }
    const int err = errno;
    if (err == ENOENT && ::access(path, F_OK) != 0) linkWay.store(kNoLink, std::memory_order_relaxed);
    errno = err;
    return false;
}

// The process id a temporary's name was made with; 0 when it is no name of ours.
pid_t MakerOf(std::string_view name) {
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return 0;
    name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size() || dash > 9) return 0;
    pid_t pid = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i == dash) continue;
        if (name[i] < '0' || name[i] > '9') return 0;
        if (i < dash) pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

// Each folder is swept once per process, before its first page: the
// temporaries a killed run may leave (always, on file systems without unnamed
// files; for the moment of a replacing rename, elsewhere) go with the next run.
void SweepOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::unordered_set<std::string>& swept = *new std::unordered_set<std::string>;  // guarded by mutex
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(folder).second) return;
    }
    SweepStaleTemporaries(folder);
}

void CopyAll(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) != 0) Fail(errno);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(errno);
        if (n == 0) return;
        for (const char* p = buf; n > 0;) {
            const ssize_t w = ::write(to, p, size_t(n));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) Fail(errno);
            p += w;
            n -= w;
        }
    }
}

}  // namespace

std::string TemporaryName(const std::string& folder) {
    // Serials are unique within the process; a name left by a process that
    // died with the same id is passed over by the callers.
    static std::atomic<unsigned long> serial{0};
    return folder + std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(serial++) +
           std::string(kTempSuffix);
}

void SweepStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(Opened(folder));
    if (!dir) return;
    const pid_t self = ::getpid();
    while (const dirent* e = ::readdir(dir)) {
        const pid_t maker = MakerOf(e->d_name);
        if (maker <= 0 || maker == self) continue;
        // Still running (EPERM: as another user): its temporaries are in use.
        if (::kill(maker, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

PageFile::PageFile(const std::string& target, bool unnamed) : target_(target), folder_(FolderOf(target)) {
    SweepOnce(folder_);
    if (unnamed && linkWay.load(std::memory_order_relaxed) != kNoLink) {
        fd_ = ::open(Opened(folder_), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) return;
        // Refused by file systems (and kernels) without unnamed files.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) Fail(errno);
    }
    OpenNamed();
}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!published_ && !named_.empty()) ::unlink(named_.c_str());
}

void PageFile::OpenNamed() {
    for (int attempt = 0;; ++attempt) {
        std::string name = TemporaryName(folder_);
        fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            named_ = std::move(name);
            return;
        }
        if (errno != EEXIST || attempt == 100) Fail(errno);
    }
}

std::string PageFile::LinkNamed() {
    for (int attempt = 0;; ++attempt) {
        std::string name = TemporaryName(folder_);
        if (LinkUnnamed(fd_, name)) return name;
        if (errno != EEXIST || attempt == 100) Fail(errno);
    }
}

void PageFile::Publish() {
    if (named_.empty()) {
        if (LinkUnnamed(fd_, target_)) {
            published_ = true;
            return;
        }
        if (errno == ENOENT && linkWay.load(std::memory_order_relaxed) == kNoLink) {
            // No /proc to name it through: the bytes move to a named temporary.
            const int unnamed = fd_;
            fd_ = -1;
            try {
                OpenNamed();
                CopyAll(unnamed, fd_);
            } catch (...) {
                ::close(unnamed);
                throw;
            }
            ::close(unnamed);
            return Publish();
        }
        if (errno != EEXIST) Fail(errno);
        return Replace({});
    }
    // Closed first: where a file system reports a failed write only then
    // (network file systems, which have no unnamed files), it is not published.
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) Fail(errno);
    // A new target (the usual case) costs no look-up of its own: the rename
    // refuses to replace, and only a refusal looks further.
    if (::renameat2(AT_FDCWD, named_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0) {
        published_ = true;
        return;
    }
    if (errno != EEXIST && errno != EINVAL && errno != ENOSYS) Fail(errno);
    Replace(named_);
}

void PageFile::Replace(const std::string& from) {
    // Held open, the replaced file is freed when this descriptor closes, on
    // the background thread, rather than inside the rename.
    const int old = ::open(target_.c_str(), O_PATH | O_CLOEXEC);
    struct stat st {};
    if (old >= 0 && ::fstat(old, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        ::close(old);
        throw ReadOnlyTargetError(std::filesystem::path(target_).filename().string());
    }
    try {
        if (from.empty()) named_ = LinkNamed();
    } catch (...) {
        if (old >= 0) ::close(old);
        throw;
    }
    if (::rename(named_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        if (old >= 0) ::close(old);
        Fail(err);
    }
    published_ = true;
    if (old >= 0) CloseLater(old);
}

int ScratchFile(const std::string& target) {
    const std::string folder = FolderOf(target);
    int fd = ::open(Opened(folder), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) Fail(errno);
    // Named only for the moment between its creation and its removal.
    for (int attempt = 0;; ++attempt) {
        const std::string name = TemporaryName(folder);
        fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlink(name.c_str());
            return fd;
        }
        if (errno != EEXIST || attempt == 100) Fail(errno);
    }
}

}  // namespace sheets::html
