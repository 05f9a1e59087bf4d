#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex gOpenerMutex;  // guards gOpener
ShellOpener gOpener;  // empty: the desktop's handler

// Looks xdg-open up before forking: the forked child may only make
// async-signal-safe calls, and PATH search allocates.
std::string FindOpener() {
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/xdg-open";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

void DesktopOpen(const std::string& target) {
    const std::string prog = FindOpener();
    if (prog.empty()) return;
    // xdg-open knows no "--": a relative path that looks like an option is
    // spelt so that it cannot be taken for one.
    std::string arg;
    if (!target.empty() && target[0] == '-') arg = "./";
    arg += target;
    char* const args[] = {const_cast<char*>(prog.c_str()), const_cast<char*>(arg.c_str()), nullptr};
    // Double fork: the grandchild is adopted by init, so nobody has to wait
    // for the handler and it never becomes a zombie of ours.
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, 0);
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            // The handler must not hold on to our files (targets being
            // written, the store's temporary file).
            ::close_range(3, ~0U, 0);
            ::execv(args[0], args);
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
}

}  // namespace

void ShellOpen(const std::string& target) {
    ShellOpener opener;
    {
        std::lock_guard lock(gOpenerMutex);
        opener = gOpener;
    }
    try {
        if (opener) opener(target);
        else DesktopOpen(target);
    } catch (...) {
        // Opening is a courtesy; nothing the user does depends on it.
    }
}

ShellOpener SetShellOpener(ShellOpener opener) {
    std::lock_guard lock(gOpenerMutex);
    ShellOpener old = std::move(gOpener);
    gOpener = std::move(opener);
    return old;
}

}  // namespace platform
