#include "app/TkvMain.h"

#include <chrono>
#include <thread>

#include "info/Counters.h"
#include "info/TkvInfo.h"
#include "project/TkvProject.h"

namespace app {

TkvMain::~TkvMain() {
    // A run cut short by an error may still have workers on the batch.
    if (Converter) Converter->TerminateAll();
    ReleaseConverter();
    Batch.reset();
}

void TkvMain::ReleaseConverter() {
    // Each running worker holds the chain until its thread is done with the
    // batch, so the chain going away is the sign that the batch is free.
    std::weak_ptr<convert::TkvWorkerChain> chain = Converter;
    Converter.reset();
    while (!chain.expired()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

const char* TkvMain::StateWord(batch::TNodeState state) {
    switch (state) {
    case batch::TNodeState::Success: return "Success";
    case batch::TNodeState::Failure: return "Failure";
    default: return "Running";
    }
}

void TkvMain::Run() {
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        log_.Clear();
    }
    Batch = std::make_unique<batch::TkvBatch>();
    bool subdir = project::kvProject->Subdir();
    std::string target = project::kvProject->TargetFolder();
    std::string source = project::kvProject->Source();
    Batch->Start(source, target, subdir);

    Converter = convert::CreateWorkers(*Batch, project::kvProject->TargetFolder(),
                                       [this](batch::TkvBatch& batch, batch::TkvNode& node) { LogNode(batch, node); });
    convert::LiveWorkerCount = Converter->ChainLength();
    Converter->ResumeAll();
    if (info::kvInfo) info::kvInfo->Tally(info::kCountRuns, 0, 1);

    // Woken by each worker that ends, so the run's end is noticed at once
    // rather than at the next tick of a poll.
    for (int32_t live = convert::LiveWorkerCount.load(); live > 0; live = convert::LiveWorkerCount.load())
        convert::LiveWorkerCount.wait(live);
    ReleaseConverter();
    Summarise();
}

std::string TkvMain::ErrorReportAction(const std::vector<std::string>& errors) {
    std::string text;
    for (size_t i = 0; i < errors.size(); ++i) {
        const std::string& m = errors[i];
        if (i) text += ',';
        bool quote = false;
        for (unsigned char c : m)
            if (c <= ' ' || c == ',' || c == '"') quote = true;
        if (!quote) {
            text += m;
            continue;
        }
        text += '"';
        for (char c : m) {
            if (c == '"') text += '"';
            text += c;
        }
        text += '"';
    }
    std::string escaped;
    for (char c : text) {
        if (c == '?') escaped += "%3F";
        else escaped += c;
    }
    return "err&e=" + escaped;
}

void TkvMain::Summarise() {
    if (info::kvInfo) {
        info::kvInfo->Tally(info::kCountFiles, 0, Batch->Count());
        info::kvInfo->Tally(info::kCountSuccesses, 0, Batch->SuccessCount());
        info::kvInfo->Tally(info::kCountFailures, 0, Batch->FailureCount());
    }
    if (Batch->FailureCount() > 0 && info::kvInfo) info::kvInfo->OpenLink("", ErrorReportAction(Batch->Errors()), "");

    std::string logFile = project::kvProject->GetOption("LogFile");
    if (!logFile.empty()) LogLines().SaveToFile(logFile, platform::TDurability::Replaceable);
}

void TkvMain::LogNode(batch::TkvBatch&, batch::TkvNode& node) {
    std::string line = std::string(StateWord(node.State.load())) + " => " + node.FileName + " => " + node.ResultText;
    std::lock_guard<std::mutex> lock(logMutex_);
    log_.Add(line);
}

project::TLineList TkvMain::LogLines() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return log_;
}

}  // namespace app
