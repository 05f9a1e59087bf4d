#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "convert/Workers.h"

namespace ui {

// Runs a worker's finish callback on the GUI thread and blocks the worker
// until it has run. The worker only touches this queue (standard locks); the
// GUI thread drains it from its own timers, so no toolkit call is ever made
// from a worker thread.
class TkvQtDispatcher : public convert::IMainThreadDispatcher {
public:
    TkvQtDispatcher();  // on the GUI thread
    void RunOnMainThreadAndWait(const std::function<void()>& fn) override { RunAndWait(fn); }
    static void RunAndWait(const std::function<void()>& fn);

    // GUI thread: runs every callback waiting in the queue; true when there
    // was one.
    static bool Drain();

private:
    struct Job {
        const std::function<void()>* fn;
        bool done = false;
    };
    static std::mutex mutex_;  // guards jobs_ and every Job::done
    static std::condition_variable cv_;
    static std::deque<Job*> jobs_;
    static std::thread::id guiThread_;  // set once, before any worker runs
};

}  // namespace ui
