#include "batch/TkvBatch.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "batch/Match.h"
#include "batch/Search.h"
#include "batch/Shard.h"
#include "platform/Text.h"
#include "project/TkvProject.h"

namespace batch {

using Guard = std::lock_guard<std::recursive_mutex>;

namespace {

// Workers put the target folder straight in front of relative names, so it
// must end with its delimiter, or "out" + "a.htm" would land beside it.
std::string AsFolder(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir.push_back('/');
    return dir;
}

}  // namespace

TkvBatch::TkvBatch() = default;

TkvBatch::~TkvBatch() {
    Terminate();
    if (thread_.joinable()) {
        // Freed from its own callback: the thread cannot wait for itself.
        if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();
        else thread_.join();
    }
}

void TkvBatch::Start(const std::string& source, const std::string& target, bool recurse) {
    // An invalid share fails the run before anything is created or touched.
    const TShard shard = TShard::Parse(project::kvProject ? project::kvProject->GetOption("Shard") : std::string());
    std::string sourcePath = NormalizePath(source);
    std::string targetDir = NormalizePath(target);
    if (targetDir.empty()) throw std::runtime_error("Unable to create directory");
    // A folder that cannot be made is no error yet: each file will fail on
    // its own with the reason.
    std::error_code ec;
    if (!std::filesystem::is_directory(targetDir, ec)) std::filesystem::create_directories(targetDir, ec);

    size_t cut = sourcePath.rfind('/');
    Guard guard(lock_);
    targetDir_ = AsFolder(std::move(targetDir));
    sourceDir_ = cut == std::string::npos ? std::string() : sourcePath.substr(0, cut + 1);
    mask_ = cut == std::string::npos ? sourcePath : sourcePath.substr(cut + 1);
    recurse_ = recurse;
    searched_ = true;
    shard_ = shard;
    if (!searchDone_ && !thread_.joinable()) thread_ = std::thread([this] { Search(); });
}

void TkvBatch::Search() {
    std::string folder, mask, extra;
    TShard shard;
    bool recurse = false, skipHidden = false;
    try {
        if (project::kvProject) {
            extra = project::kvProject->GetOption("RegExt");
            skipHidden = project::kvProject->GetBool("SkipHidden", false);
        }
    } catch (...) {
        // Unreadable options leave the defaults: no extra filter, hidden files kept.
    }
    {
        Guard guard(lock_);
        extraPattern_ = extra;
        folder = sourceDir_;
        mask = mask_;
        recurse = recurse_;
        shard = shard_;
    }
    try {
        SearchFolder(
            folder, mask, recurse, skipHidden, [this] { return terminated_.load(std::memory_order_relaxed); },
            [&](const std::string& path) {
                // Another run's file is not this run's entry at all: it is
                // neither listed, counted nor logged here.
                if (!shard.Owns(std::string_view(path).substr(folder.size()))) return;
                try {
                    AppendEntry(path, mask, extra);
                } catch (...) {
                    // A receiver that throws must not cost the files still to be found.
                }
            },
            [&](const std::string& path, const std::string& reason) {
                // One share reports a folder it cannot read, so that the
                // shares' logs together name it once.
                const std::string_view rel = std::string_view(path).starts_with(folder)
                                                 ? std::string_view(path).substr(folder.size())
                                                 : std::string_view(path);
                if (!shard.Owns(rel)) return;
                try {
                    AppendFailure(path, "The folder cannot be read (" + reason + ")");
                } catch (...) {}
            });
    } catch (...) {
        // Out of memory in the walk: keep what was found and let the workers finish.
    }
    EndSearch();
}

void TkvBatch::AppendEntry(const std::string& path, const std::string& mask, const std::string& extraPattern) {
    if (!AcceptsFile(path, mask, extraPattern)) return;
    auto entry = std::make_unique<TkvNode>();
    entry->FileName = path;
    TkvNode* node = entry.get();
    bool wake;
    {
        Guard guard(lock_);
        PushLocked(std::move(entry), wake);
    }
    if (wake) entryAdded_.notify_one();
    if (OnNodeAdded) OnNodeAdded(*this, *node);
}

void TkvBatch::AppendFailure(const std::string& path, const std::string& message) {
    auto entry = std::make_unique<TkvNode>();
    entry->FileName = path;
    entry->ResultText = message;
    entry->State = TNodeState::Failure;
    TkvNode* node = entry.get();
    bool wake;
    {
        Guard guard(lock_);
        PushLocked(std::move(entry), wake);
        ReportFailure(message);
    }
    if (wake) entryAdded_.notify_one();
    if (OnNodeAdded) OnNodeAdded(*this, *node);
}

void TkvBatch::PushLocked(std::unique_ptr<TkvNode> entry, bool& wake) {
    entry->Index = static_cast<int32_t>(nodes_.size());
    nodes_.push_back(std::move(entry));
    wake = WakeOneLocked();
}

void TkvBatch::EndSearch() {
    {
        Guard guard(lock_);
        searchDone_ = true;
    }
    entryAdded_.notify_all();
}

void TkvBatch::AddFile(const std::string& path) {
    std::string mask, extra;
    {
        Guard guard(lock_);
        mask = mask_;
        extra = extraPattern_;
    }
    try {
        AppendEntry(path, mask, extra);
    } catch (...) {
        EndSearch();
        throw;
    }
    EndSearch();
}

// Waking a worker for every entry costs more than the walk itself when
// entries come faster than workers wake. So at most one signalled worker is
// on its way at a time; it passes the signal on when it leaves entries behind
// for other sleepers. Whenever entries wait and a worker sleeps, a signal is
// under way, so no entry is left waiting.
bool TkvBatch::WakeOneLocked() {
    if (sleepers_ == 0 || wakePending_) return false;
    wakePending_ = true;
    return true;
}

TkvNode* TkvBatch::NextNode() {
    std::unique_lock<std::recursive_mutex> guard(lock_);
    for (;;) {
        if (nextIndex_ < static_cast<int32_t>(nodes_.size())) {
            TkvNode* node = nodes_[nextIndex_++].get();
            bool wake = nextIndex_ < static_cast<int32_t>(nodes_.size()) && WakeOneLocked();
            guard.unlock();
            if (wake) entryAdded_.notify_one();
            return node;
        }
        if (searchDone_) {
            exhausted_ = true;
            return nullptr;
        }
        ++sleepers_;
        entryAdded_.wait(guard);
        --sleepers_;
        wakePending_ = false;
    }
}

bool TkvBatch::IsExhausted() const { return exhausted_.load(); }

int32_t TkvBatch::Count() const {
    Guard guard(lock_);
    return static_cast<int32_t>(nodes_.size());
}

bool TkvBatch::IsSearching() const {
    Guard guard(lock_);
    return thread_.joinable() && !searchDone_;
}

void TkvBatch::ReportSuccess() {
    Guard guard(lock_);
    ++successCount_;
}

void TkvBatch::ReportFailure(const std::string& message) {
    std::string key = platform::FoldCase(message);
    Guard guard(lock_);
    ++failureCount_;
    if (std::find(errorKeys_.begin(), errorKeys_.end(), key) == errorKeys_.end()) {
        errorKeys_.push_back(std::move(key));
        errors_.push_back(message);
    }
}

std::vector<std::unique_ptr<TkvNode>>& TkvBatch::LockNodes() {
    lock_.lock();
    return nodes_;
}

void TkvBatch::UnlockNodes() { lock_.unlock(); }

void TkvBatch::Terminate() { terminated_ = true; }

std::string TkvBatch::NormalizePath(const std::string& path) { return platform::FileAddressToPath(path); }

bool TkvBatch::Searched() const {
    Guard guard(lock_);
    return searched_;
}

int32_t TkvBatch::HandedOut() const {
    Guard guard(lock_);
    return nextIndex_;
}

int32_t TkvBatch::SuccessCount() const {
    Guard guard(lock_);
    return successCount_;
}

int32_t TkvBatch::FailureCount() const {
    Guard guard(lock_);
    return failureCount_;
}

std::vector<std::string> TkvBatch::Errors() const {
    Guard guard(lock_);
    return errors_;
}

std::string TkvBatch::SourceDir() const {
    Guard guard(lock_);
    return sourceDir_;
}

std::string TkvBatch::TargetDir() const {
    Guard guard(lock_);
    return targetDir_;
}

void TkvBatch::SetTargetDir(const std::string& dir) {
    Guard guard(lock_);
    targetDir_ = AsFolder(dir);
}

}  // namespace batch
