#include "sheets/html/LateClose.h"

#include <pthread.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace sheets::html {

namespace {

// Descriptors waiting beyond this are closed by their owner: each one keeps
// a replaced page's blocks in use.
constexpr size_t kMaxWaiting = 256;

class Closer {
public:
    // False when the descriptor is the caller's to close.
    bool Take(int fd) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (waiting_.size() >= kMaxWaiting) return false;
        if (!started_) {
            try {
                std::thread([this] { Run(); }).detach();
            } catch (...) {
                return false;
            }
            started_ = true;
        }
        waiting_.push_back(fd);
        // Woken only when asleep: a closer that is busy finds the descriptor
        // on its next look, and a page costs no wake-up of its own.
        const bool wake = asleep_;
        lock.unlock();
        if (wake) wake_.notify_one();
        return true;
    }

private:
    [[noreturn]] void Run() {
        std::vector<int> closing;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                asleep_ = true;
                wake_.wait(lock, [this] { return !waiting_.empty(); });
                asleep_ = false;
                closing.assign(waiting_.begin(), waiting_.end());
                waiting_.clear();
            }
            for (const int fd : closing) ::close(fd);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<int> waiting_;  // guarded by mutex_
    bool started_ = false;  // guarded by mutex_
    bool asleep_ = false;  // guarded by mutex_: the closer waits for descriptors
};

// Never destroyed: the thread outlives every caller, and whatever is still
// waiting at exit is closed by the kernel. A forked child has none of its
// parent's threads, and the parent's closer may have held its lock at the
// fork: the child gets a closer of its own, which starts its own thread.
Closer*& Current() {
    static Closer* closer = [] {
        ::pthread_atfork(nullptr, nullptr, [] { Current() = new Closer; });
        return new Closer;
    }();
    return closer;
}

}  // namespace

void CloseLater(int fd) {
    if (!Current()->Take(fd)) ::close(fd);
}

}  // namespace sheets::html
