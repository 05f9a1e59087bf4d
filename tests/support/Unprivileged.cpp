#include "support/Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

void HandOver(const std::filesystem::path& tree) {
    std::error_code ec;
    ::lchown(tree.c_str(), kNobody, kNobody);
    for (auto it = std::filesystem::recursive_directory_iterator(tree, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        ::lchown(it->path().c_str(), kNobody, kNobody);
}

}  // namespace

std::string Unprivileged(const std::filesystem::path& tree, const std::function<std::string()>& body) {
    if (geteuid() != 0) return body();
    HandOver(tree);
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        close(fds[0]);
        std::string result = "cannot become nobody";
        if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) result = body();
        if (!result.empty()) (void)!write(fds[1], result.data(), result.size());
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) result.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return "the child ended abnormally";
    return result;
}

std::string UnprivilegedPrefix(const std::filesystem::path& tree) {
    if (geteuid() != 0) return {};
    HandOver(tree);
    return "setpriv --reuid=65534 --regid=65534 --clear-groups";
}
