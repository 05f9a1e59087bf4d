#pragma once
#include <memory>
#include <mutex>

#include "batch/TkvBatch.h"
#include "convert/Workers.h"
#include "project/LineList.h"

namespace app {

// The unattended console run: one batch over the project's Source, no
// window, the log file as the only record.
class TkvMain {
public:
    TkvMain() = default;
    ~TkvMain();

    // The whole run on the calling (main) thread; returns when every worker
    // has ended and the log is written. Throws when the run cannot start or
    // the log cannot be written.
    void Run();
    void Summarise();
    // The per-file callback of the workers; runs on their threads.
    void LogNode(batch::TkvBatch& batch, batch::TkvNode& node);

    // The log lines so far (a copy, taken under the log lock).
    project::TLineList LogLines() const;
    // The report text for a list of failure messages, as the error-report
    // page receives it: "err&e=" followed by the quoted, comma-separated list.
    static std::string ErrorReportAction(const std::vector<std::string>& errors);
    static const char* StateWord(batch::TNodeState state);

    std::unique_ptr<batch::TkvBatch> Batch;
    std::shared_ptr<convert::TkvWorkerChain> Converter;

private:
    void ReleaseConverter();

    mutable std::mutex logMutex_;  // guards log_
    project::TLineList log_;
};

extern TkvMain* kvMain;

}  // namespace app
