#include "convert/Run.h"

#include <stdexcept>

#include "info/Counters.h"
#include "info/TkvInfo.h"
#include "platform/LineFile.h"
#include "text/Escape.h"

namespace convert {

const char* StateWord(batch::TNodeState state) {
    switch (state) {
    case batch::TNodeState::Success: return "Success";
    case batch::TNodeState::Failure: return "Failure";
    default: return "Running";
    }
}

TkvRun::TkvRun(TRunStyle style) : style_(style), log_(std::make_shared<TLog>(style)) {}

TkvRun::~TkvRun() = default;

void TkvRun::OpenLog(const std::string& fileName, bool append) {
    std::unique_ptr<platform::TLineFile> file;
    if (!fileName.empty()) file = std::make_unique<platform::TLineFile>(fileName, append);
    std::lock_guard<std::mutex> lock(log_->mutex);
    log_->file = std::move(file);
    log_->error.clear();
}

std::string TkvRun::LogLine(TRunStyle style, const batch::TkvNode& node) {
    std::string result = node.ResultText;
    if (!node.Note.empty()) result += result.empty() ? node.Note : " (" + node.Note + ")";
    const std::string state = StateWord(node.State.load());
    return (style == TRunStyle::Window ? "[" + state + "]" : state) + " => " + text::EscapeForLine(node.FileName) +
           " => " + text::EscapeForLine(result);
}

std::shared_ptr<TkvWorkerChain> TkvRun::CreateWorkers(batch::TkvBatch& batch, const std::string& targetFolder,
                                                      batch::TkvNodeEvent onNodeDone, const WorkerFactory& factory) {
    auto chain = factory(batch, targetFolder, [log = log_, onNodeDone](batch::TkvBatch& b, batch::TkvNode& node) {
        log->Record(node);
        if (onNodeDone) onNodeDone(b, node);
    });
    std::lock_guard<std::mutex> lock(log_->mutex);
    log_->workers = chain;
    log_->searched = &batch;
    return chain;
}

void TkvRun::Resume(TkvWorkerChain& workers) {
    workers.ResumeAll();
    if (info::kvInfo) info::kvInfo->Tally(info::kCountRuns, 0, 1);
}

void TkvRun::TLog::Record(batch::TkvNode& node) {
    std::shared_ptr<TkvWorkerChain> stop;
    batch::TkvBatch* search = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!file || !error.empty()) return;
        try {
            file->WriteLine(LogLine(style, node));
            return;
        } catch (const std::exception& e) {
            error = e.what();
        }
        // The log is the run's record of what it did to the sources: without
        // it the run must not go on touching them.
        stop = workers.lock();
        search = searched;
    }
    if (search) search->Terminate();
    if (stop) stop->TerminateAll();
}

void TkvRun::Finish(const batch::TkvBatch& batch) {
    if (info::kvInfo) {
        info::kvInfo->Tally(info::kCountFiles, 0, batch.Count());
        info::kvInfo->Tally(info::kCountSuccesses, 0, batch.SuccessCount());
        info::kvInfo->Tally(info::kCountFailures, 0, batch.FailureCount());
        if (batch.FailureCount() > 0) {
            const auto quoting =
                style_ == TRunStyle::Console ? info::TReportQuoting::Console : info::TReportQuoting::Window;
            info::kvInfo->OpenLink("", info::ErrorReportAction(batch.Errors(), quoting), "");
        }
    }
    std::string error;
    {
        std::lock_guard<std::mutex> lock(log_->mutex);
        log_->file.reset();
        error.swap(log_->error);
        log_->workers.reset();
        log_->searched = nullptr;
    }
    if (!error.empty()) throw std::runtime_error(error);
}

}  // namespace convert
