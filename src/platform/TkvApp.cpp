#include "platform/TkvApp.h"

#include <unistd.h>
#include <climits>
#include <filesystem>

namespace platform {

TkvApp* kvApp = nullptr;

namespace {

std::string RunningProgram(const char* argv0) {
    std::string buf(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n > 0 && static_cast<size_t>(n) < buf.size()) {
        buf.resize(static_cast<size_t>(n));
        return buf;
    }
    // Without /proc the name we were started by is the best there is.
    if (!argv0 || !*argv0) return {};
    std::error_code ec;
    auto abs = std::filesystem::absolute(argv0, ec);
    return ec ? std::string(argv0) : abs.string();
}

std::string FirstNonEmpty(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (!a.empty()) return a;
    return {};
}

}  // namespace

TkvApp::TkvApp(int argc, char** argv) {
    exePath_ = RunningProgram(argc > 0 ? argv[0] : nullptr);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        if (argv[i]) args.emplace_back(argv[i]);
    firstArg_ = FirstNonEmpty(args);
}

TkvApp::TkvApp(std::string exePath, std::vector<std::string> args)
    : exePath_(std::move(exePath)), firstArg_(FirstNonEmpty(args)) {}

}  // namespace platform
