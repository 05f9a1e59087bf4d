#include "convert/Convertor.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "convert/Workers.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TkvProject.h"

namespace convert {

namespace {

std::atomic<IMainThreadDispatcher*> dispatcher{nullptr};

}  // namespace

std::atomic<int32_t> LiveWorkerCount{0};

void SetMainThreadDispatcher(IMainThreadDispatcher* d) { dispatcher.store(d); }

TkvConvertor::TkvConvertor(batch::TkvBatch& batch, batch::TkvNodeEvent onNodeDone, int32_t count)
    : TkvWorkBase(batch), OnNodeDone(onNodeDone), ChainLength(count < 1 ? 1 : count) {
    if (count > 1) next_ = CreateConverter(project::kvProject->ConverterClass, batch, std::move(onNodeDone), count - 1);
}

TkvConvertor::~TkvConvertor() {
    // The chain is released from its head: wait for every thread before any
    // worker it may still use goes away.
    for (TkvConvertor* w = this; w; w = w->next_.get()) w->JoinOrDetach();
}

void TkvConvertor::SetOnFinish(batch::TkvEvent onFinish) {
    for (TkvConvertor* w = this; w; w = w->next_.get()) {
        std::lock_guard<std::mutex> lock(w->finishMutex_);
        w->onFinish_ = onFinish;
    }
}

void TkvConvertor::ResumeAll(const std::shared_ptr<void>& keepAlive) {
    for (TkvConvertor* w = this; w; w = w->next_.get()) w->Resume(keepAlive);
}

void TkvConvertor::TerminateAll() {
    try {
        if (next_) {
            next_->TerminateAll();
            while (!next_->Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } catch (...) {}
    Terminate();
}

void TkvConvertor::ProcessNode() {
    ConvertNode(Batch, *Node);
    if (OnNodeDone) OnNodeDone(Batch, *Node);
}

void TkvConvertor::Finish() {
    batch::TkvEvent fn;
    {
        std::lock_guard<std::mutex> lock(finishMutex_);
        fn = onFinish_;
    }
    if (fn) {
        try {
            if (IMainThreadDispatcher* d = dispatcher.load()) d->RunOnMainThreadAndWait(fn);
            else fn();
        } catch (...) {
            // The count below must still go down, or the run never ends.
        }
    }
    // The count goes down last and outside the batch's lock: whoever sees it
    // reach zero may free the batch at once, lock included.
    --LiveWorkerCount;
    LiveWorkerCount.notify_all();
}

std::string TkvConvertor::GetTargetName(batch::TkvBatch& batch, batch::TkvNode& node) {
    std::string sourceDir = batch.SourceDir();
    std::string rel;
    if (project::kvProject->KeepTargetSubdirs() && !sourceDir.empty())
        rel = node.FileName.size() > sourceDir.size() ? node.FileName.substr(sourceDir.size()) : std::string();
    else rel = platform::NamePart(node.FileName);
    // The folder delimiter stays (it keeps the sub-folders); the characters
    // that cannot stand in a file name where workbooks come from do not.
    for (char& c : rel)
        if (c == ':' || c == '\\') c = '_';

    std::string path = batch.TargetDir() + rel;
    const std::string& ext = project::kvProject->TargetExt;
    if (!ext.empty()) {
        size_t nameStart = path.find_last_of('/');
        nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
        size_t dot = path.find_last_of('.');
        if (dot != std::string::npos && dot >= nameStart) path.erase(dot);
        path += ext;
    }
    path = AdjustTargetName(path);

    // Consecutive entries mostly share a folder: it is looked for (and made)
    // when it changes.
    std::string folder = platform::FolderPart(path);
    if (!folder.empty() && folder != knownFolder_) {
        if (!platform::DirectoryExists(folder)) platform::ForceDirectories(folder);
        if (platform::DirectoryExists(folder)) knownFolder_ = folder;
        else batch.ReportFailure("CreateDir Failed: " + folder);
    }

    // Replacing needs no look at the target; keeping or skipping does.
    const project::TOverwrite policy = project::kvProject->IsOverwrite();
    if (policy == project::TOverwrite::Overwrite || !platform::FileExists(path)) return path;
    if (policy == project::TOverwrite::Skip) {
        node.State = batch::TNodeState::Success;
        return {};
    }
    return folder + "-" + project::kvProject->ShortName + "-" + platform::NamePart(path);
}

void TkvConvertor::ProcessSource(batch::TkvBatch& batch, batch::TkvNode& node, const std::string& target) {
    const std::string& source = node.FileName;
    try {
        if (project::kvProject->KeepFileTime()) platform::CopyFileTime(source, target);
        if (project::kvProject->DeleteSource()) std::remove(source.c_str());
        std::string suffix = project::kvProject->RenameSource();
        if (!suffix.empty()) {
            std::string renamed = source + suffix;
            // Never replace a file already there: an earlier run's renamed
            // source would be lost.
            if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, renamed.c_str(), RENAME_NOREPLACE) != 0 &&
                errno == EINVAL && !platform::FileExists(renamed))
                std::rename(source.c_str(), renamed.c_str());
        }
    } catch (...) {}
}

void TkvConvertor::DeleteTarget(const std::string& path) { std::remove(path.c_str()); }

}  // namespace convert
