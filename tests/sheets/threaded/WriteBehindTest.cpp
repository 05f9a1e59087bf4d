// A large page's body is written on a second thread while the next pieces
// are rendered: the file must hold every piece in order, and a failed write
// must reach the caller.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "sheets/html/WriteBehind.h"
#include "support/TempDir.h"

using sheets::html::WriteBehind;

TEST(WriteBehind, WritesEveryPieceInOrder) {
    TempDir dir;
    const std::string path = dir / "body";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    std::string expected;
    {
        WriteBehind writer(fd);
        std::string piece;
        for (int n = 0; n < 2000; ++n) {
            piece.assign(size_t(n % 97) * 41 + 1, char('a' + n % 26));
            expected += piece;
            writer.Put(piece);
            EXPECT_TRUE(piece.empty());
        }
        writer.Finish();
    }
    ::close(fd);
    EXPECT_TRUE(ReadFileText(path) == expected);
}

TEST(WriteBehind, AFullDiskReachesTheCaller) {
    const int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0) GTEST_SKIP() << "no /dev/full";
    {
        WriteBehind writer(fd);
        std::string piece(1 << 16, 'x');
        const auto fill = [&] {
            for (int n = 0; n < 100; ++n) {
                piece.assign(1 << 16, 'x');
                writer.Put(piece);
            }
            writer.Finish();
        };
        try {
            fill();
            ADD_FAILURE() << "no error";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), ENOSPC);
        }
    }
    // Dropped without Finish after a failure: the destructor just waits.
    {
        WriteBehind writer(fd);
        std::string piece(1 << 16, 'x');
        writer.Put(piece);
    }
    ::close(fd);
}
