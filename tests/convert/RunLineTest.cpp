#include <gtest/gtest.h>

#include "convert/Run.h"
#include "text/Utf8.h"

using namespace convert;

namespace {

std::string Line(TRunStyle style, batch::TNodeState state, std::string file, std::string result,
                 std::string note = {}) {
    batch::TkvNode node;
    node.State = state;
    node.FileName = std::move(file);
    node.ResultText = std::move(result);
    node.Note = std::move(note);
    return TkvRun::LogLine(style, node);
}

}  // namespace

TEST(RunLogLine, TheConsoleAndTheWindowFormats) {
    using batch::TNodeState;
    EXPECT_EQ(Line(TRunStyle::Console, TNodeState::Success, "/in/a.xls", "/out/a.htm"),
              "Success => /in/a.xls => /out/a.htm");
    EXPECT_EQ(Line(TRunStyle::Window, TNodeState::Failure, "/in/b.xls", "Not a workbook"),
              "[Failure] => /in/b.xls => Not a workbook");
    EXPECT_EQ(Line(TRunStyle::Console, TNodeState::Success, "/in/c.xls", ""), "Success => /in/c.xls => ");
    EXPECT_EQ(Line(TRunStyle::Console, TNodeState::Waiting, "/in/d.xls", ""), "Running => /in/d.xls => ");
    EXPECT_EQ(Line(TRunStyle::Console, TNodeState::Success, "/in/e.xls", "/out/e.htm", "the source was kept"),
              "Success => /in/e.xls => /out/e.htm (the source was kept)");
}

// A name may hold anything but '/' and NUL: one file is still one line, and
// the log stays valid UTF-8.
TEST(RunLogLine, NamesCannotSplitOrForgeLines) {
    const std::string line =
        Line(TRunStyle::Console, batch::TNodeState::Failure, "/in/a\nSuccess => forged\r\x1b\xff.xls",
             "Cannot read 'a\nSuccess => forged\r\x1b\xff.xls'");
    EXPECT_EQ(
        line,
        "Failure => /in/a\\nSuccess => forged\\r\\x1b\\xff.xls => Cannot read 'a\\nSuccess => forged\\r\\x1b\\xff.xls'");
    EXPECT_TRUE(text::IsValidUtf8(line));
}
