#pragma once
// A project, usage store and batch of their own for each test, set as the
// process-wide objects the workers read.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "batch/TkvBatch.h"
#include "convert/Convertor.h"
#include "convert/Quindle.h"
#include "convert/Workers.h"
#include "info/TkvInfo.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"

class ConvertTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<info::TkvInfo> info;
    std::unique_ptr<project::TkvProject> project;
    std::unique_ptr<batch::TkvBatch> batch;
    std::string src, out;  // source and target folders, ending in '/'

    void SetUp() override {
        info = std::make_unique<info::TkvInfo>(dir / "bin/quindle", dir / "stats.ext");
        info::kvInfo = info.get();
        project = std::make_unique<project::TkvProject>();
        project->ConverterClass = "TkvQUINDLE";
        project->TargetExt = ".htm";
        project->ShortName = "quindle";
        project::kvProject = project.get();
        src = dir / "in/";
        out = dir / "out/";
        std::filesystem::create_directories(src);
        std::filesystem::create_directories(out);
    }
    void TearDown() override {
        batch.reset();
        project::kvProject = nullptr;
        info::kvInfo = nullptr;
    }

    // A batch whose source folder is `src` and target folder `out`, with no
    // search results of its own.
    batch::TkvBatch& NewBatch() {
        batch = std::make_unique<batch::TkvBatch>();
        batch->Start(src + "*.nomatch", out, false);
        batch->SetTargetDir(out);
        while (batch->NextNode()) {}
        return *batch;
    }
    // An entry that is not part of any batch list.
    static std::unique_ptr<batch::TkvNode> Entry(const std::string& path) {
        auto n = std::make_unique<batch::TkvNode>();
        n->FileName = path;
        return n;
    }
    std::string Put(const std::string& rel, const std::string& content = "x") {
        return dir.Write("in/" + rel, content);
    }
};

// Exposes the end of a worker's life to tests that run it on their own thread.
class TestQuindle : public convert::TkvQUINDLE {
public:
    TestQuindle(batch::TkvBatch& b) : convert::TkvQUINDLE(b, nullptr, 1) {}
    using convert::TkvExcelOle::Finish;
};
