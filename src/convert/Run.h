#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "batch/TkvBatch.h"
#include "convert/Workers.h"
#include "info/ErrorReport.h"
#include "platform/LineFile.h"

namespace convert {

// How a run's owner shows it: the log line format and the quoting of the
// error report.
enum class TRunStyle {
    Console,  // "Success => /in/a.xls => /out/a.htm"
    Window,  // "[Success] => /in/a.xls => /out/a.htm"
};

// The life of one conversion run, the same whoever drives it (the console
// run, the window): the log opened before anything is touched, the workers
// started over a batch, one log line per finished file in the order the
// files finish, and at the end the usage counters and the error report.
// It owns neither the batch nor the workers; its owner keeps both until the
// workers have ended.
class TkvRun {
public:
    using WorkerFactory =
        std::function<std::shared_ptr<TkvWorkerChain>(batch::TkvBatch&, const std::string&, batch::TkvNodeEvent)>;

    explicit TkvRun(TRunStyle style);
    ~TkvRun();
    TkvRun(const TkvRun&) = delete;
    TkvRun& operator=(const TkvRun&) = delete;

    // Opens the log in place before the run touches any file: created or
    // emptied, or kept and appended to when `append` is set (a batch that
    // goes on after a pause). An empty name means no log. Throws
    // std::runtime_error naming the file when it cannot be opened; the run
    // must then not start.
    void OpenLog(const std::string& fileName, bool append = false);

    // Creates the workers over `batch` (suspended) with a per-file callback
    // that writes the file's log line and then calls `onNodeDone` (may be
    // empty).
    std::shared_ptr<TkvWorkerChain> CreateWorkers(batch::TkvBatch& batch, const std::string& targetFolder,
                                                  batch::TkvNodeEvent onNodeDone,
                                                  const WorkerFactory& factory = convert::CreateWorkers);
    // Lets the workers go and counts a started run.
    void Resume(TkvWorkerChain& workers);

    // The end of the run, once every worker has ended: the batch's totals
    // go to the usage counters, failures to the error report, and the log
    // is closed. Throws std::runtime_error when a log line could not be
    // written (after the counters and the report).
    void Finish(const batch::TkvBatch& batch);

    // The log line of a finished entry: its state word, its source and its
    // result (with the worker's note), each made safe to stand in one line.
    static std::string LogLine(TRunStyle style, const batch::TkvNode& node);

private:
    // Shared with the per-file callback, which workers may still hold after
    // their owner (and this object) has gone.
    struct TLog {
        explicit TLog(TRunStyle s) : style(s) {}
        void Record(batch::TkvNode& node);  // worker threads

        const TRunStyle style;
        std::mutex mutex;  // guards everything below
        std::unique_ptr<platform::TLineFile> file;
        std::string error;  // the first failed write; the run stops after it
        std::weak_ptr<TkvWorkerChain> workers;  // told to stop when the log fails
        batch::TkvBatch* searched = nullptr;  // its search is stopped then too
    };

    const TRunStyle style_;
    std::shared_ptr<TLog> log_;
};

// The state word of an entry in logs and exports.
const char* StateWord(batch::TNodeState state);

}  // namespace convert
