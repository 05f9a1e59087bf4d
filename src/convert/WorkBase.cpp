#include "convert/WorkBase.h"

#include <exception>

namespace convert {

TkvWorkBase::TkvWorkBase(batch::TkvBatch& batch) : Batch(batch) {}

TkvWorkBase::~TkvWorkBase() { JoinOrDetach(); }

void TkvWorkBase::Resume(std::shared_ptr<void> keepAlive) {
    if (thread_.joinable()) return;
    thread_ = std::thread([this, keep = std::move(keepAlive)]() mutable {
        ThreadMain();
        // May free this worker (and the whole chain): nothing of `this` is
        // touched afterwards.
        keep.reset();
    });
}

void TkvWorkBase::JoinOrDetach() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();
    else thread_.join();
}

void TkvWorkBase::ThreadMain() {
    try {
        Execute();
    } catch (...) {
        // A failure outside any file ends this worker only; the end sequence
        // below must still run so that the run can finish.
    }
    try {
        Finish();
    } catch (...) {}
}

void TkvWorkBase::Execute() {
    while (!Terminated()) {
        Node = Batch.NextNode();
        if (!Node) {
            Terminate();
            break;
        }
        try {
            ProcessNode();
        } catch (const std::exception& e) {
            Node->ResultText = e.what();
        } catch (...) {
            Node = nullptr;
            break;
        }
        Node = nullptr;
    }
}

}  // namespace convert
