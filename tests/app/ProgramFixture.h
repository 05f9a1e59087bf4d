#pragma once
// The built program, run the way a user runs it, in a folder of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

inline const std::filesystem::path kRepo = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();

// The program beside the tests, or the one QUINDLE_TEST_PROGRAM names (to try
// these tests against another build).
inline std::filesystem::path Program() {
    if (const char* other = std::getenv("QUINDLE_TEST_PROGRAM"); other && *other) return other;
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return self.parent_path().parent_path().parent_path() / "quindle";  // build/tests/app/test_app
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ProgramRun : public ::testing::Test {
protected:
    TempDir dir;
    std::string in = dir / "in/";
    std::string out = dir / "out/";
    std::string program_ = Program().string();

    void SetUp() override {
        if (!std::filesystem::exists(Program())) GTEST_SKIP() << "build the quindle target first";
        std::filesystem::create_directories(in);
        for (const char* name : {"sales.xlsx", "schedule.xlsx", "inventory.xls", "contacts.xls"})
            std::filesystem::copy_file(kRepo / "examples" / name, in + name);
    }
    // The shell command that runs the program with one argument from the
    // test's folder (or `cwd`), standard output and error kept in files.
    std::string Command(const std::string& arg, const std::string& env = "QT_QPA_PLATFORM=offscreen",
                        const std::string& cwd = {}) {
        return "cd " + Quote(cwd.empty() ? dir.Path().string() : cwd) + " && " + env +
               " QUINDLE_QUIET=1 XDG_STATE_HOME=" + Quote(dir / "state") + " timeout -k 10 120 " + Quote(program_) +
               " " + Quote(arg);
    }
    // From here on the program runs from a copy in the test's folder, so that
    // the files it keeps beside itself (usage counters, recent list) are the
    // test's own.
    void UseOwnCopy() {
        std::filesystem::create_directories(dir / "bin");
        program_ = dir / "bin/quindle";
        std::filesystem::copy_file(Program(), program_);
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
    }
    // Runs the program; returns its exit code (124 when it had to be stopped
    // after two minutes, -1 when a signal ended it).
    int Run(const std::string& arg, const std::string& env = "QT_QPA_PLATFORM=offscreen", const std::string& cwd = {}) {
        std::string cmd = Command(arg, env, cwd) + " >" + Quote(dir / "stdout.txt") + " 2>" + Quote(dir / "stderr.txt");
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Stdout() { return ReadFileText(dir / "stdout.txt"); }
    std::string Stderr() { return ReadFileText(dir / "stderr.txt"); }
    // The log's lines without their CR LF, sorted.
    std::vector<std::string> LogLines(const std::string& path) {
        std::string text = ReadFileText(path);
        std::vector<std::string> lines;
        std::istringstream s(text);
        for (std::string line; std::getline(s, line);) {
            EXPECT_FALSE(line.empty() || line.back() != '\r') << "lines end with CR LF";
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // The value of a usage counter in the store of the program's own copy.
    std::string Counter(const std::string& name) {
        std::istringstream s(ReadFileText(dir / "bin/quindle.ext"));
        for (std::string line; std::getline(s, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
        }
        return {};
    }
};
