#include "support/Wait.h"

#include <thread>

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit, std::chrono::milliseconds pause) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (pause.count() > 0) std::this_thread::sleep_for(pause);
        else std::this_thread::yield();
    }
}
