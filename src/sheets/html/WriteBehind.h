#pragma once
// Writing a large page's bytes while the next ones are rendered.
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace sheets::html {

// Writes pieces of a file on a second thread, one piece at a time, while the
// caller makes the next: the system's time for writing a large page then
// overlaps the rendering. Holds at most two pieces.
class WriteBehind {
public:
    explicit WriteBehind(int fd) : fd_(fd) {}
    // Waits for the piece being written; its error, if any, is dropped.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Takes the bytes of `piece` to write, leaving it empty (with the memory
    // of an earlier piece). Throws std::system_error when an earlier write
    // failed.
    void Put(std::string& piece);
    // Returns once everything is written; throws std::system_error when a
    // write failed.
    void Finish();

private:
    void Run();
    void WaitIdle(std::unique_lock<std::mutex>& lock);

    int fd_;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string writing_;  // guarded by mutex_: the piece the writer owns while busy_
    bool busy_ = false, closing_ = false;  // guarded by mutex_
    int error_ = 0;  // guarded by mutex_
};

}  // namespace sheets::html
