#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "info/TkvInfo.h"
#include "platform/Shell.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"

// A program at <tmp>/bin/quindle with its own state and config folders, and
// a recorder in place of the desktop's opener.
class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        Save("XDG_STATE_HOME", dir / "state");
        Save("XDG_CONFIG_HOME", dir / "config");
        Save("QUINDLE_QUIET", "");  // notices must open here; the test runner sets it
        previous_ = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
        std::filesystem::create_directories(dir / "bin");
        info_ = std::make_unique<info::TkvInfo>(exe, dir / "bin/quindle.ext");
        info_->SetProduct("Quindle Converter", "quindle", "1.0");
        info::kvInfo = info_.get();
    }
    void TearDown() override {
        project.reset();
        platform::kvApp = nullptr;
        info::kvInfo = nullptr;
        platform::SetShellOpener(previous_);
        for (auto& [name, value, had] : saved_) {
            if (had) setenv(name.c_str(), value.c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

    // A project as start-up makes it, for a program started with `args`.
    project::TkvProject& Start(std::vector<std::string> args = {}, std::string exePath = {}) {
        project.reset();
        app_ = std::make_unique<platform::TkvApp>(exePath.empty() ? exe : exePath, std::move(args));
        platform::kvApp = app_.get();
        project = std::make_unique<project::TkvProject>();
        project::TkvProject& p = *project;
        p.ShortName = "quindle";
        p.ProjectExt = ".batch-quindle";
        p.ProjectFilter = "Quindle Project|*.batch-quindle";
        p.FileFilter = "Excel Workbook|*.xls;*.xlsx;*.xlsm;*.xlsb";
        p.FilePattern = "*.xls?";
        p.TargetExt = ".htm";
        return p;
    }

    TempDir dir;
    std::string exe = dir / "bin/quindle";
    std::unique_ptr<project::TkvProject> project;
    std::vector<std::string> opened;

private:
    void Save(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? old : "", old != nullptr});
        if (value.empty()) unsetenv(name);
        else setenv(name, value.c_str(), 1);
    }
    struct Env {
        std::string name, value;
        bool had;
    };
    std::vector<Env> saved_;
    std::unique_ptr<info::TkvInfo> info_;
    std::unique_ptr<platform::TkvApp> app_;
    platform::ShellOpener previous_;
};
