#include "app/TkvMain.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "automation/HttpFetch.h"
#include "batch/Shard.h"
#include "platform/Files.h"
#include "platform/Text.h"
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

std::string TkvMain::SourceToSearch(const std::string& source, const std::string& filePattern) {
    std::string path = platform::FileAddressToPath(source);
    if (path.empty() || automation::IsWebAddress(path) || !platform::DirectoryExists(path)) return path;
    if (path.back() != '/') path += '/';
    return path + filePattern;
}

void TkvMain::Run() {
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        log_.Clear();
    }
    project::TkvProject& p = *project::kvProject;
    // An invalid share ends the run before even the target folder is made.
    batch::TShard::Parse(p.GetOption("Shard"));
    Batch = std::make_unique<batch::TkvBatch>();
    bool subdir = p.Subdir();
    // A web address is no folder to write to; made as one it would leave a
    // folder named "http:" here.
    if (automation::IsWebAddress(p.Target())) throw std::runtime_error("Unable to create directory " + p.Target());
    std::string target = p.TargetFolder();
    source_ = SourceToSearch(p.Source(), p.FilePattern);
    if (target.empty()) throw std::runtime_error("Unable to create directory");

    run_ = std::make_unique<convert::TkvRun>(convert::TRunStyle::Console);
    run_->OpenLog(p.GetOption("LogFile"));

    // A workbook on the web is fetched as it is, not searched for.
    if (automation::IsWebAddress(source_)) Batch->AddFile(source_);
    else Batch->Start(source_, target, subdir);

    Converter = run_->CreateWorkers(*Batch, p.TargetFolder(),
                                    [this](batch::TkvBatch& batch, batch::TkvNode& node) { LogNode(batch, node); });
    convert::LiveWorkerCount = Converter->ChainLength();
    run_->Resume(*Converter);

    // Woken by each worker that ends, so the run's end is noticed at once
    // rather than at the next tick of a poll.
    for (int32_t live = convert::LiveWorkerCount.load(); live > 0; live = convert::LiveWorkerCount.load())
        convert::LiveWorkerCount.wait(live);
    ReleaseConverter();
    Summarise();
}

void TkvMain::Summarise() {
    // A run that found nothing at all says so: the log alone (empty) would
    // not tell a typo from an empty folder.
    if (Batch->Count() == 0) {
        // A share can be empty while the others are not: it names itself.
        const batch::TShard shard = batch::TShard::Parse(project::kvProject->GetOption("Shard"));
        const std::string share =
            shard.IsWhole() ? std::string()
                            : " of share " + std::to_string(shard.Index()) + "/" + std::to_string(shard.Count());
        const std::string line = "quindle: the source \"" + source_ + "\" matches no file" + share + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    if (run_) run_->Finish(*Batch);
}

void TkvMain::LogNode(batch::TkvBatch&, batch::TkvNode& node) {
    std::string line = convert::TkvRun::LogLine(convert::TRunStyle::Console, node);
    std::lock_guard<std::mutex> lock(logMutex_);
    log_.Add(line);
}

project::TLineList TkvMain::LogLines() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return log_;
}

}  // namespace app
