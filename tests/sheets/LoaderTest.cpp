#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "sheets/Errors.h"
#include "sheets/Loader.h"
#include "support/TempDir.h"

// A pipe put where a workbook was listed must not hold a worker forever: it
// is refused at once, without waiting for a writer.
TEST(Loader, APipeIsRefusedWithoutWaiting) {
    TempDir d;
    const std::string pipe = d / "book.xlsx";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] {
        try {
            sheets::LoadWorkbook(pipe);
            return std::string("loaded");
        } catch (const sheets::Error& e) {
            return std::string(e.what());
        }
    });
    if (load.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Let the blocked reader go, so that the test ends.
        const int fd = open(pipe.c_str(), O_WRONLY);
        if (fd >= 0) close(fd);
        load.wait();
        FAIL() << "the loader waited for a writer";
    }
    EXPECT_EQ(load.get(), "The workbook cannot be read (not a file)");
}
