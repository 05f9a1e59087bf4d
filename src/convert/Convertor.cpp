#include "convert/Convertor.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "convert/Workers.h"
#include "platform/FileIdentity.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TkvProject.h"

namespace convert {

namespace {

std::atomic<IMainThreadDispatcher*> dispatcher{nullptr};

void FailEntry(batch::TkvBatch& batch, batch::TkvNode& node, const std::string& message) {
    node.ResultText = message;
    node.State = batch::TNodeState::Failure;
    batch.ReportFailure(message);
}

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
    // An entry that failed before any worker held it (a folder the search
    // could not read) has nothing to convert; it is still reported.
    if (Node->State.load() == batch::TNodeState::Waiting) ConvertNode(Batch, *Node);
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
    // A search of the current folder has no folder part: its entries are
    // already relative to the source folder.
    if (project::kvProject->KeepTargetSubdirs() && (!sourceDir.empty() || batch.Searched()))
        rel = node.FileName.size() > sourceDir.size() ? node.FileName.substr(sourceDir.size()) : std::string();
    else rel = platform::NamePart(node.FileName);

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
        if (!platform::DirectoryExists(folder)) {
            FailEntry(batch, node, "CreateDir Failed: " + folder);
            return {};
        }
        knownFolder_ = folder;
    }

    // Within one run a page is written for one source: a second source that
    // maps to it fails and is kept. Across runs the overwrite rule decides.
    const project::TOverwrite policy = project::kvProject->IsOverwrite();
    std::string owner = batch.Targets().Claim(path, node.FileName);
    if (policy == project::TOverwrite::Keep) {
        if (!owner.empty() || platform::FileExists(path)) {
            path = folder + "-" + project::kvProject->ShortName + "-" + platform::NamePart(path);
            owner = batch.Targets().Claim(path, node.FileName);
        }
    } else if (policy == project::TOverwrite::Skip && owner.empty() && platform::FileExists(path)) {
        node.State = batch::TNodeState::Success;
        return {};
    }
    if (!owner.empty()) {
        FailEntry(batch, node, "Two sources map to one page: " + path + " is already the page of " + owner);
        return {};
    }
    if (platform::SameFile(path, node.FileName)) {
        FailEntry(batch, node, "The page would replace its own workbook: " + path);
        return {};
    }
    return path;
}

void TkvConvertor::ProcessSource(batch::TkvBatch&, batch::TkvNode& node, const std::string& target,
                                 const platform::TFileIdentity* read) {
    const std::string& source = node.FileName;
    try {
        if (project::kvProject->KeepFileTime()) {
            // The times of the version that was read, which is what the page shows.
            if (read) platform::SetFileTimes(target, *read);
            else platform::CopyFileTime(source, target);
        }
        const bool remove = project::kvProject->DeleteSource();
        std::string suffix = project::kvProject->RenameSource();
        if (!remove && suffix.empty()) return;
        // Only the file that was read may go: a newer version saved over it
        // while it was converted is not what the page shows.
        platform::TFileIdentity now;
        if (!platform::ReadFileIdentity(source, now)) return;
        if (!read || !now.SameVersionAs(*read)) {
            node.Note = "the source was kept: it changed while it was converted";
            return;
        }
        if (remove) std::remove(source.c_str());
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
