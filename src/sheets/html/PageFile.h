#pragma once
// How a page reaches the disk: whole under its name, or not at all.
#include <string>

namespace sheets::html {

// A page's file on its way to the disk. The bytes go to a file without a name
// in the target's folder, which is given the target's name only once it is
// complete: a process that dies midway leaves nothing behind, and a target
// name may be as long as the file system allows. Where the file system has no
// unnamed files, a temporary with a short name of its own stands in; the
// first page a process writes into a folder removes the ones that processes
// no longer running left there.
class PageFile {
public:
    // `unnamed` false takes the named way from the start, as on a file
    // system without unnamed files. Throws std::system_error when no file can
    // be made in the target's folder.
    explicit PageFile(const std::string& target, bool unnamed = true);
    // Discards the file unless it was published.
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    int Fd() const { return fd_; }
    // Gives the file the target's name. A new name is simply linked; a file
    // already there is replaced in one rename, unless nobody may write it
    // (ReadOnlyTargetError, and it stays as it was). The replaced file is
    // released on a background thread: freeing its blocks need not hold up
    // the next workbook. Throws std::system_error on other failures.
    void Publish();

private:
    void OpenNamed();
    void Replace(const std::string& from);
    std::string LinkNamed();

    std::string target_, folder_;
    std::string named_;  // the temporary's own name, while it has one
    int fd_ = -1;
    bool published_ = false;
};

// A file that never gets a name, in the folder of `target`, for bytes that
// are put together into a page later. The caller closes it. Throws
// std::system_error.
int ScratchFile(const std::string& target);

// A name for a temporary this process makes in `folder` (empty, or ending in
// '/'): short, whatever the target's length, telling which process made it,
// and new at every call.
std::string TemporaryName(const std::string& folder);

// Removes from `folder` the temporaries of processes that no longer run; the
// temporaries of running processes and every other file stay.
void SweepStaleTemporaries(const std::string& folder);

}  // namespace sheets::html
