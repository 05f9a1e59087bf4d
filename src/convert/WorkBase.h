#pragma once
#include <atomic>
#include <memory>
#include <thread>

#include "batch/TkvBatch.h"

namespace convert {

// A worker thread over one batch. It is created suspended; Resume starts its
// body. The object outlives its thread body: whoever owns it (the chain)
// frees it once every worker of the chain has ended.
class TkvWorkBase {
public:
    explicit TkvWorkBase(batch::TkvBatch& batch);
    virtual ~TkvWorkBase();
    TkvWorkBase(const TkvWorkBase&) = delete;
    TkvWorkBase& operator=(const TkvWorkBase&) = delete;

    batch::TkvBatch& Batch;  // not owned
    // The entry being processed; only this worker's thread touches it.
    batch::TkvNode* Node = nullptr;

    // Starts the thread once; `keepAlive` is held by the thread until its
    // body and end sequence are over.
    void Resume(std::shared_ptr<void> keepAlive);
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Started() const { return thread_.joinable(); }
    // Waits for the thread, or lets it go when called from that thread.
    void JoinOrDetach();

protected:
    // The thread body: entries one after the other until none is left or
    // termination is asked for.
    virtual void Execute();
    virtual void ProcessNode() {}
    // Runs on the worker's own thread after Execute: release what the
    // worker holds. Overrides release their own resources, then call this.
    virtual void Finish() {}

private:
    void ThreadMain();

    std::atomic<bool> terminated_{false};
    std::thread thread_;  // touched only by the chain's owner thread and the destructor
};

}  // namespace convert
