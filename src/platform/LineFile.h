#pragma once
#include <string>
#include <string_view>

namespace platform {

// A text file written one line at a time, each line reaching the file (the
// kernel) as soon as it is written: a process killed midway leaves every
// line it finished. The file is opened in place: a symbolic link is written
// through, an existing file keeps its owner and mode, and its folder need
// not be writable. A pipe without a reader fails at once instead of
// blocking.
class TLineFile {
public:
    // Creates or empties the file (keeps its lines and appends when `append`
    // is set). Throws std::runtime_error naming the file and the reason.
    TLineFile(const std::string& path, bool append);
    ~TLineFile();
    TLineFile(const TLineFile&) = delete;
    TLineFile& operator=(const TLineFile&) = delete;

    // Writes `line` followed by CR LF in one piece. Throws
    // std::runtime_error naming the file and the reason.
    void WriteLine(std::string_view line);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace platform
