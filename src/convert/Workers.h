#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "batch/TkvBatch.h"

namespace convert {

// Delivers a worker's finish callback on the main thread and waits for it.
// The window implements it with its event loop; the console run sets none.
class IMainThreadDispatcher {
public:
    virtual ~IMainThreadDispatcher() = default;
    virtual void RunOnMainThreadAndWait(const std::function<void()>& fn) = 0;
};
void SetMainThreadDispatcher(IMainThreadDispatcher* dispatcher);

// Converter workers still alive (process-wide). Each worker decrements it
// under its batch's lock when it ends, then notifies waiters.
extern std::atomic<int32_t> LiveWorkerCount;

// A chain of converter workers over one batch. The chain stays alive until
// its last worker has ended (the handle keeps it), so stop requests and
// finish callbacks never touch a destroyed worker.
class TkvWorkerChain {
public:
    virtual ~TkvWorkerChain() = default;
    virtual int32_t ChainLength() const = 0;
    virtual void SetOnFinish(batch::TkvEvent onFinish) = 0;  // reaches every worker
    virtual void ResumeAll() = 0;
    virtual void TerminateAll() = 0;  // each worker ends after its current file
};

// The most workers one chain may have, whatever ThreadsCount says.
inline constexpr int32_t kMaxWorkers = 256;

// Creates ThreadsCount suspended workers of the project's converter class.
std::shared_ptr<TkvWorkerChain> CreateWorkers(batch::TkvBatch& batch, const std::string& targetFolder,
                                              batch::TkvNodeEvent onNodeDone);

}  // namespace convert
