#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/NodeState.h"
#include "batch/Shard.h"
#include "batch/TargetClaims.h"

namespace batch {

// One file entry of a batch.
struct TkvNode {
    std::atomic<TNodeState> State{TNodeState::Waiting};
    int32_t Index = 0;  // 0-based row number, fixed
    std::string FileName;  // full source path, fixed
    std::string ResultText;  // written by the worker that holds the entry
    // What else the worker has to say about the entry (a source kept because
    // it changed while it was converted); written by that worker.
    std::string Note;
};

class TkvBatch;
// A callback bound to its owner (capture the owner in the lambda).
using TkvNodeEvent = std::function<void(TkvBatch&, TkvNode&)>;
using TkvEvent = std::function<void()>;

// The entries of one run, the search thread that fills them, and their
// hand-out to converter workers.
class TkvBatch {
public:
    TkvBatch();
    ~TkvBatch();  // stops and joins the search, frees the entries

    // Throws when the target is empty or the project's Shard is invalid.
    void Start(const std::string& source, const std::string& target, bool recurse);
    void AddFile(const std::string& path);
    TkvNode* NextNode();  // waits while the search may still add entries
    bool IsExhausted() const;
    int32_t Count() const;
    bool IsSearching() const;  // a search was started and may still add entries
    void ReportSuccess();
    void ReportFailure(const std::string& message);
    // The batch lock, for short critical sections of the batch's users.
    std::vector<std::unique_ptr<TkvNode>>& LockNodes();
    void UnlockNodes();
    void Terminate();
    static std::string NormalizePath(const std::string& path);
    // The pages of this run, each claimed by one source (any thread).
    TkvTargetClaims& Targets() { return targets_; }
    // Whether the entries come from a search of the source (Start) rather
    // than from AddFile; a search of the current folder has no SourceDir.
    bool Searched() const;
    // How many entries have been handed out to workers so far; they go out
    // in index order, so these are the entries 0 .. HandedOut() - 1.
    int32_t HandedOut() const;

    // Read after a run (or under the lock).
    int32_t SuccessCount() const;
    int32_t FailureCount() const;
    std::vector<std::string> Errors() const;
    std::string SourceDir() const;
    std::string TargetDir() const;
    void SetTargetDir(const std::string& dir);  // CreateWorkers; a missing final '/' is added

    TkvNodeEvent OnNodeAdded;  // set by the owner before Start/AddFile

private:
    void Search();  // the search thread's body
    void AppendEntry(const std::string& path, const std::string& mask, const std::string& extraPattern);
    // An entry that is a failure from the start (a folder the search cannot
    // read): workers hand it on without converting it.
    void AppendFailure(const std::string& path, const std::string& message);
    void PushLocked(std::unique_ptr<TkvNode> entry, bool& wake);
    void EndSearch();
    bool WakeOneLocked();  // under lock_: whether to signal one waiting worker

    // The batch lock. Re-entrant, so that a user holding it through LockNodes
    // may still call Count, ReportFailure and the like.
    mutable std::recursive_mutex lock_;
    std::condition_variable_any entryAdded_;  // waited on with lock_ held

    std::vector<std::unique_ptr<TkvNode>> nodes_;  // lock_
    int32_t nextIndex_ = 0;  // lock_
    int32_t successCount_ = 0;  // lock_
    int32_t failureCount_ = 0;  // lock_
    std::vector<std::string> errors_;  // lock_
    std::vector<std::string> errorKeys_;  // lock_; errors_ case-folded
    bool searchDone_ = false;  // lock_
    int32_t sleepers_ = 0;  // lock_; workers waiting in NextNode
    bool wakePending_ = false;  // lock_; a waiting worker was signalled and has not run yet
    std::string mask_, sourceDir_, targetDir_;  // lock_
    std::string extraPattern_;  // lock_
    bool recurse_ = false;  // lock_
    bool searched_ = false;  // lock_
    TkvTargetClaims targets_;  // its own lock
    TShard shard_;  // lock_; this run's share of what the search finds
    std::atomic<bool> exhausted_{false};  // set under lock_, read anywhere
    std::atomic<bool> terminated_{false};  // the search's stop request
    std::thread thread_;  // lock_ to start; joined by the destructor
};

}  // namespace batch
