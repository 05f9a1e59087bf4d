#include "batch/Search.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "batch/Regex.h"
#include "platform/Switches.h"
#include "text/Ascii.h"
#include "text/Utf8.h"

namespace batch {

namespace {

// '*' any run, '?' one element or none at the end of the name. Backtracks to
// the last '*' only, which is enough because '*' is the only element with a
// choice.
template <typename Seq, typename Eq>
bool GlobMatch(const Seq& name, const Seq& mask, Eq eq) {
    const size_t N = name.size(), M = mask.size();
    constexpr size_t none = static_cast<size_t>(-1);
    size_t n = 0, m = 0, starM = none, starN = 0;
    for (;;) {
        if (m < M) {
            if (mask[m] == "*") {
                starM = m++;
                starN = n;
                continue;
            }
            if (mask[m] == "?") {
                if (n < N) ++n;
                ++m;
                continue;
            }
            if (n < N && eq(name[n], mask[m])) {
                ++n;
                ++m;
                continue;
            }
        } else if (n == N) {
            return true;
        }
        if (starM == none || starN >= N) return false;
        m = starM + 1;
        n = ++starN;
    }
}

// ASCII names (nearly all of them) take this path: one byte, one element.
struct TAsciiSeq {
    std::string_view s;
    size_t size() const { return s.size(); }
    struct TElem {
        char c;
        bool operator==(const char* lit) const { return c == lit[0] && lit[1] == 0; }
    };
    TElem operator[](size_t i) const { return {s[i]}; }
};

// Other names: one element per UTF-8 character, or per stray byte when the
// name is not UTF-8. Non-ASCII characters compare exactly here.
struct TUnitSeq {
    std::vector<std::string_view> units;
    explicit TUnitSeq(std::string_view s) {
        for (size_t i = 0; i < s.size();) {
            size_t len = text::Utf8CharLength(s, i);
            if (len == 0) len = 1;
            units.push_back(s.substr(i, len));
            i += len;
        }
    }
    size_t size() const { return units.size(); }
    std::string_view operator[](size_t i) const { return units[i]; }
};

bool UnitsEqual(std::string_view a, std::string_view b) {
    if (a.size() == 1 && b.size() == 1) return text::AsciiLower(a[0]) == text::AsciiLower(b[0]);
    return a == b;
}

// A mask with non-ASCII letters needs Unicode case folding, which PCRE2 has.
bool UnicodeWildcardMatch(std::string_view name, std::string_view mask) {
    std::string pattern = "(?s)\\A";
    for (size_t i = 0; i < mask.size();) {
        size_t len = text::Utf8CharLength(mask, i);
        if (len == 0) len = 1;
        char c = mask[i];
        if (c == '*') {
            pattern += ".*";
        } else if (c == '?') {
            pattern += "(?:.|\\z)";
        } else if (len == 1 && !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            pattern.push_back('\\');
            pattern.push_back(c);
        } else {
            pattern.append(mask, i, len);
        }
        i += len;
    }
    pattern += "\\z";
    try {
        return Regex::IsMatch(pattern, roIgnoreCase, std::string(name));
    } catch (const ERegexException&) {
        TUnitSeq n(name), m(mask);
        return GlobMatch(n, m, UnitsEqual);
    }
}

struct TDirKey {
    dev_t Dev;
    ino_t Ino;
    bool operator==(const TDirKey&) const = default;
};
struct TDirKeyHash {
    size_t operator()(const TDirKey& k) const {
        return std::hash<unsigned long long>()(static_cast<unsigned long long>(k.Ino) * 1000003ull ^
                                               static_cast<unsigned long long>(k.Dev));
    }
};

// Name order ignoring ASCII case, then byte order (so that names differing
// only in case keep a fixed order).
bool NameBefore(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = text::AsciiLower(a[i]), y = text::AsciiLower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Where a link leads, as an open folder and the name in it: links are
// resolved one step at a time relative to open folders, so that no path
// length limit applies. Answers -1 when the chain breaks or runs too long.
int ResolveLinkFolder(int dirFd, std::string name) {
    int cur = openat(dirFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int hops = 0; cur >= 0 && hops < 40; ++hops) {
        std::string target(4096, '\0');
        const ssize_t n = readlinkat(cur, name.c_str(), target.data(), target.size());
        if (n < 0) {
            if (errno == EINVAL) return cur;  // not a link: `name` lies in `cur`
            break;
        }
        target.resize(size_t(n));
        const size_t slash = target.rfind('/');
        if (slash != std::string::npos) {
            const std::string folder = slash == 0 ? std::string("/") : target.substr(0, slash);
            const int next = openat(cur, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            close(cur);
            cur = next;
            name = target.substr(slash + 1);
        } else {
            name = target;
        }
    }
    if (cur >= 0) close(cur);
    return -1;
}

class TWalker {
public:
    TWalker(const std::string& mask, bool recurse, bool skipHidden, const TkvStopTest& stop, const TkvPathSink& sink,
            const TkvFolderFailureSink& failed)
        : mask_(mask),
          recurse_(recurse),
          skipHidden_(skipHidden),
          skipLockFiles_(platform::SkipLockFiles.load()),
          stop_(stop),
          sink_(sink),
          failed_(failed) {}

    void Run(const std::string& folder) {
        int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            Failed(folder.empty() ? std::string("./") : folder, errno);
            return;
        }
        struct stat st;
        if (fstat(fd, &st) != 0) {
            close(fd);
            return;
        }
        root_ = {st.st_dev, st.st_ino};
        Walk(fd, folder);
    }

private:
    struct TSubfolder {
        std::string name;
        bool link;
    };

    bool Stopped() {
        if (!stopped_ && stop_ && stop_()) stopped_ = true;
        return stopped_;
    }

    // A folder that is there but cannot be read is worth a word; one that is
    // gone (or is no folder) simply has nothing to offer.
    void Failed(const std::string& folder, int err) {
        if (!failed_ || err == ENOENT || err == ENOTDIR) return;
        failed_(folder, std::strerror(err));
    }

    // Whether the folder open as `fd` lies inside the tree being walked: its
    // parents are followed up to the root of the walk or of the file system.
    bool InsideTree(int fd) const {
        struct stat st;
        if (fstat(fd, &st) != 0) return false;
        TDirKey key{st.st_dev, st.st_ino};
        int cur = -1;
        bool inside = false;
        for (int depth = 0; depth < 4096; ++depth) {
            if (key == root_) {
                inside = true;
                break;
            }
            const int up = openat(cur >= 0 ? cur : fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (cur >= 0) close(cur);
            cur = up;
            if (cur < 0 || fstat(cur, &st) != 0) break;
            const TDirKey parent{st.st_dev, st.st_ino};
            if (parent == key) break;  // the top: ".." of "/" is itself
            key = parent;
        }
        if (cur >= 0) close(cur);
        return inside;
    }

    bool LinkStaysInside(int dirFd, const char* name) const {
        const int folder = ResolveLinkFolder(dirFd, name);
        if (folder < 0) return false;
        const bool inside = InsideTree(folder);
        close(folder);
        return inside;
    }

    // Takes over `fd`. Children are opened relative to it, so paths longer
    // than the system's limit are still walked.
    void Walk(int fd, const std::string& folder) {
        struct stat st;
        // A folder reached twice (a link to an ancestor or to a sibling) is
        // walked once: loops end and no file is listed twice.
        if (fstat(fd, &st) != 0 || !visited_.insert({st.st_dev, st.st_ino}).second) {
            close(fd);
            return;
        }
        DIR* dir = fdopendir(fd);
        if (!dir) {
            Failed(folder, errno);
            close(fd);
            return;
        }
        // Entries are taken in name order, ignoring case, as the file systems
        // the product comes from list them, rather than in the order of the
        // directory's hash table: runs, results and logs come out the same
        // on every file system.
        std::vector<std::pair<std::string, unsigned char>> entries;
        while (dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            entries.emplace_back(name, entry->d_type);
        }
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
        std::vector<TSubfolder> subfolders;
        std::string path;
        for (const auto& [name, type] : entries) {
            Consider(dirfd(dir), folder, name.c_str(), type, subfolders, path);
            if (Stopped()) break;
        }
        for (const TSubfolder& sub : subfolders) {
            if (Stopped()) break;
            int child = openat(dirfd(dir), sub.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (child < 0) {
                Failed(folder + sub.name + "/", errno);
                continue;
            }
            // A link to a folder outside the tree (link -> .., link -> /elsewhere)
            // would take the run, and its source clean-up, where nobody asked.
            if (sub.link && !InsideTree(child)) {
                close(child);
                continue;
            }
            Walk(child, folder + sub.name + "/");
        }
        closedir(dir);
    }

    void Consider(int dirFd, const std::string& folder, const char* name, unsigned char type,
                  std::vector<TSubfolder>& subfolders, std::string& path) {
        bool hidden = name[0] == '.';
        bool link = type == DT_LNK;
        struct stat st;
        if (type == DT_UNKNOWN) {
            if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
            link = S_ISLNK(st.st_mode);
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (link) {
            // Links count as what they point at; a dangling link or an entry
            // that vanished since the listing is passed over.
            if (fstatat(dirFd, name, &st, 0) != 0) return;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (recurse_ && !hidden) subfolders.push_back({name, link});
            return;
        }
        // Only regular files: opening a pipe or a device would block or read
        // forever in the worker that gets it.
        if (type != DT_REG) return;
        if (skipHidden_ && hidden) return;
        if (skipLockFiles_ && name[0] == '~' && name[1] == '$') return;
        if (!WildcardMatch(name, mask_)) return;
        if (link && !LinkStaysInside(dirFd, name)) return;
        path.assign(folder);
        path.append(name);
        sink_(path);
    }

    const std::string& mask_;
    bool recurse_, skipHidden_, skipLockFiles_;
    const TkvStopTest& stop_;
    const TkvPathSink& sink_;
    const TkvFolderFailureSink& failed_;
    bool stopped_ = false;
    TDirKey root_{};
    std::unordered_set<TDirKey, TDirKeyHash> visited_;
};

}  // namespace

bool WildcardMatch(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    bool asciiMask = text::IsAscii(mask);
    if (asciiMask && text::IsAscii(name))
        return GlobMatch(TAsciiSeq{name}, TAsciiSeq{mask}, [](TAsciiSeq::TElem a, TAsciiSeq::TElem b) {
            return text::AsciiLower(a.c) == text::AsciiLower(b.c);
        });
    if (!asciiMask && text::IsValidUtf8(mask) && text::IsValidUtf8(name)) return UnicodeWildcardMatch(name, mask);
    TUnitSeq n(name), m(mask);
    return GlobMatch(n, m, UnitsEqual);
}

void SearchFolder(const std::string& folder, const std::string& mask, bool recurse, bool skipHidden,
                  const TkvStopTest& stop, const TkvPathSink& sink, const TkvFolderFailureSink& failed) {
    // Nothing fits an empty mask, in this folder or below it.
    if (mask.empty() || !sink) return;
    TWalker(mask, recurse, skipHidden, stop, sink, failed).Run(folder);
}

}  // namespace batch
