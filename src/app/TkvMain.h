#pragma once
#include <memory>
#include <mutex>

#include "batch/TkvBatch.h"
#include "convert/Run.h"
#include "convert/Workers.h"
#include "project/LineList.h"

namespace app {

// The unattended console run: one batch over the project's Source, no
// window, the log file as the run's record.
class TkvMain {
public:
    TkvMain() = default;
    ~TkvMain();

    // The whole run on the calling (main) thread; returns when every worker
    // has ended. Throws, before any file is touched, when the run cannot
    // start (an empty Target, a log that cannot be opened), and at the end
    // when a log line could not be written (the run stopped there).
    void Run();
    void Summarise();
    // The per-file callback of the workers; runs on their threads.
    void LogNode(batch::TkvBatch& batch, batch::TkvNode& node);

    // The log lines so far (a copy, taken under the log lock).
    project::TLineList LogLines() const;
    static const char* StateWord(batch::TNodeState state) { return convert::StateWord(state); }

    // The Source as the console run reads it: a "file:" address becomes a
    // path, and an existing folder (with or without its final '/') becomes
    // that folder with the product's file pattern, as the window's Folder
    // button builds it.
    static std::string SourceToSearch(const std::string& source, const std::string& filePattern);

    std::unique_ptr<batch::TkvBatch> Batch;
    std::shared_ptr<convert::TkvWorkerChain> Converter;

private:
    void ReleaseConverter();

    std::unique_ptr<convert::TkvRun> run_;
    std::string source_;  // as searched, for the word on an empty result
    mutable std::mutex logMutex_;  // guards log_
    project::TLineList log_;
};

extern TkvMain* kvMain;

}  // namespace app
