// Replaced pages are closed on a background thread: every descriptor handed
// over gets closed, from any number of converter threads, also when more
// arrive than may wait.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "sheets/html/LateClose.h"
#include "support/Wait.h"

TEST(LateClose, EveryDescriptorIsClosed) {
    constexpr int kPerThread = 150;  // 300 in all: more than may wait at once
    std::vector<int> readEnds[2];
    std::vector<std::thread> threads;
    for (std::vector<int>& ends : readEnds) {
        std::vector<int> writeEnds;
        for (int n = 0; n < kPerThread; ++n) {
            int fds[2];
            ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
            ends.push_back(fds[0]);
            writeEnds.push_back(fds[1]);
        }
        threads.emplace_back([writeEnds] {
            for (const int fd : writeEnds) sheets::html::CloseLater(fd);
        });
    }
    for (std::thread& t : threads) t.join();
    // A pipe whose writing end is closed reads as ended.
    for (std::vector<int>& ends : readEnds)
        for (const int fd : ends) {
            char c;
            EXPECT_TRUE(WaitUntil([&] { return ::read(fd, &c, 1) == 0; }));
            ::close(fd);
        }
}
