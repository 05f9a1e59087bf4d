#include "ui/QtDispatcher.h"

#include "ui/FrmBase.h"

namespace ui {

std::mutex TkvQtDispatcher::mutex_;
std::condition_variable TkvQtDispatcher::cv_;
std::deque<TkvQtDispatcher::Job*> TkvQtDispatcher::jobs_;
std::thread::id TkvQtDispatcher::guiThread_;

TkvQtDispatcher::TkvQtDispatcher() {
    std::lock_guard<std::mutex> lock(mutex_);
    guiThread_ = std::this_thread::get_id();
}

void TkvQtDispatcher::RunAndWait(const std::function<void()>& fn) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (std::this_thread::get_id() == guiThread_) {
        lock.unlock();
        Guarded(fn);
        return;
    }
    Job job{&fn};
    jobs_.push_back(&job);
    cv_.wait(lock, [&] { return job.done; });
}

bool TkvQtDispatcher::Drain() {
    bool any = false;
    for (;;) {
        Job* job;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (jobs_.empty()) break;
            job = jobs_.front();
            jobs_.pop_front();
        }
        any = true;
        // An error must not unwind into the event loop, nor leave the
        // worker waiting.
        Guarded(*job->fn);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job->done = true;
        }
        cv_.notify_all();
    }
    return any;
}

}  // namespace ui
