#include "support/Shell.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

std::string BuiltProgram() { return std::string(QUINDLE_BINARY_DIR) + "/quindle"; }

std::string ShellQuote(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool HaveProgram(const std::string& name) {
    return RunShell("command -v " + ShellQuote(name) + " >/dev/null 2>&1") == 0;
}
