#include "sheets/html/WriteBehind.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace sheets::html {

namespace {

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::system_error(errno, std::generic_category());
        bytes.remove_prefix(size_t(n));
    }
}

}  // namespace

WriteBehind::~WriteBehind() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void WriteBehind::WaitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !busy_; });
    if (error_) throw std::system_error(error_, std::generic_category());
}

void WriteBehind::Put(std::string& piece) {
    if (!writer_.joinable()) {
        try {
            writer_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // No second thread to be had: written here, as it comes.
            WriteAll(fd_, piece);
            piece.clear();
            return;
        }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    WaitIdle(lock);
    writing_.swap(piece);
    piece.clear();
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
}

void WriteBehind::Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitIdle(lock);
}

void WriteBehind::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || closing_; });
        if (!busy_) return;
        lock.unlock();
        int error = 0;
        try {
            WriteAll(fd_, writing_);
        } catch (const std::system_error& e) {
            error = e.code().value();
        }
        lock.lock();
        if (error && !error_) error_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace sheets::html
