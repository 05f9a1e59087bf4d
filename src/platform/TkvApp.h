#pragma once
#include <string>
#include <vector>

namespace platform {

// The running program: where its file is and what it was started with.
class TkvApp {
public:
    // Reads the program path from /proc/self/exe; argv[1..] are kept as given.
    TkvApp(int argc, char** argv);
    // For tests: an explicit program path and argument list (without argv[0]).
    TkvApp(std::string exePath, std::vector<std::string> args);

    const std::string& ExePath() const { return exePath_; }
    // The first non-empty command-line argument; empty when there is none.
    const std::string& FirstArg() const { return firstArg_; }

private:
    std::string exePath_;
    std::string firstArg_;
};

extern TkvApp* kvApp;

}  // namespace platform
