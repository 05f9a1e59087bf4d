#include <gtest/gtest.h>

#include "project/LineList.h"
#include "support/TempDir.h"

using namespace project;

namespace {
TLineList FromText(const std::string& text) {
    TLineList list;
    list.SetText(text);
    return list;
}
}  // namespace

TEST(LineList, NameValueMatching) {
    TLineList l = FromText("source=/a\nSOURCE=/b\nTarget=\nA=B=C\nSource = x\nno equals\n=empty name\n");
    EXPECT_EQ(l.Value("Source"), "/a") << "the first match wins";
    EXPECT_EQ(l.Value("target"), "");
    EXPECT_EQ(l.Value("a"), "B=C");
    EXPECT_EQ(l.Value("Source "), " x") << "blanks belong to name and value";
    EXPECT_EQ(l.Value("no equals"), "");
    EXPECT_EQ(l.Value("Missing"), "");

    l.SetValue("Source", "/c");
    EXPECT_EQ(l[0], "Source=/c") << "the key is spelt as the caller spells it";
    EXPECT_EQ(l[1], "SOURCE=/b");
    l.SetValue("New", "v");
    EXPECT_EQ(l[l.Count() - 1], "New=v");
    l.SetValue("Absent", "");
    EXPECT_EQ(l.Count(), 8u);
    l.SetValue("SOURCE", "");
    EXPECT_EQ(l.Value("Source"), "/b") << "only the first line goes";
    EXPECT_EQ(l.Count(), 7u);
}

TEST(LineList, NamesIgnoreCaseBeyondAscii) {
    TLineList l = FromText("Größe=1\nÉTAT=2");
    EXPECT_EQ(l.Value("GRÖSSE"), "") << "simple folding does not expand ß";
    EXPECT_EQ(l.Value("größe"), "1");
    EXPECT_EQ(l.Value("état"), "2");
    EXPECT_EQ(l.IndexOf("étAT=2"), 1);
    EXPECT_EQ(l.IndexOf("ÉTAT"), -1);
}

TEST(LineList, LineEnds) {
    EXPECT_EQ(FromText("a\r\nb\rc\nd").Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(FromText("a\n\rb").Lines(), (std::vector<std::string>{"a", "", "b"})) << "LF CR ends two lines";
    EXPECT_EQ(FromText("a\r\n").Count(), 1u) << "a final terminator adds no line";
    EXPECT_EQ(FromText("a\n\n\nb\n").Lines(), (std::vector<std::string>{"a", "", "", "b"}));
    EXPECT_EQ(FromText("\n").Lines(), (std::vector<std::string>{""}));
    EXPECT_EQ(FromText("").Count(), 0u);
    EXPECT_EQ(FromText(std::string("a\nb\0c\nd", 7)).Lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(FromText(std::string("\0a", 2)).Count(), 0u);

    TLineList l = FromText("x\ny");
    EXPECT_EQ(l.Text(), "x\r\ny\r\n");
    EXPECT_EQ(TLineList().Text(), "");
    l.Insert(0, "top");
    l.Insert(99, "end");
    l.Add("last");
    EXPECT_EQ(l.Text(), "top\r\nx\r\ny\r\nend\r\nlast\r\n");
}

TEST(LineList, FileEncodings) {
    TempDir dir;
    TLineList l;
    l.LoadFromFile(dir.Write("bom8", "\xEF\xBB\xBFSource=/données/x\nTarget=/out"));
    EXPECT_EQ(l.Value("Source"), "/données/x");
    EXPECT_EQ(l.Value("Target"), "/out");

    l.LoadFromFile(dir.Write("plain8", "Source=/données\n"));
    EXPECT_EQ(l.Value("Source"), "/données");

    l.LoadFromFile(dir.Write("cp1252",
                             "Source=/donn\xE9"
                             "es \x80\r\n"));
    EXPECT_EQ(l.Value("Source"), "/données €") << "a file made on Windows keeps its letters";

    l.LoadFromFile(dir.Write("le", std::string("\xFF\xFE"
                                               "A\0=\0\xE9\0\r\0\n\0B\0",
                                               14)));
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"A=é", "B"}));
    l.LoadFromFile(dir.Write("be", std::string("\xFE\xFF\0A\0=\0\xE9", 8)));
    EXPECT_EQ(l.Value("a"), "é");

    l.LoadFromFile(dir.Write("badbom8",
                             "\xEF\xBB\xBF"
                             "A=\xFF"));
    EXPECT_EQ(l.Value("A"), "\xEF\xBF\xBD") << "broken bytes after a mark become replacement characters";

    const std::string out = dir / "out.txt";
    l.SaveToFile(out);
    EXPECT_EQ(ReadFileText(out), "A=\xEF\xBF\xBD\r\n") << "written as UTF-8 without a mark";
}

TEST(LineList, UnreadableFilesLeaveTheListAlone) {
    TempDir dir;
    TLineList l = FromText("keep=1");
    EXPECT_THROW(l.LoadFromFile(dir / "missing"), std::runtime_error);
    EXPECT_THROW(l.LoadFromFile(dir.Path().string()), std::runtime_error);
    EXPECT_EQ(l.Text(), "keep=1\r\n");
    EXPECT_THROW(l.SaveToFile(dir / "no/folder/x"), std::runtime_error);
}

TEST(LineList, HostileContentIsReadWithoutHarm) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 200000; ++i) garbage += static_cast<char>((i * 7919) % 251 + 1);
    TLineList l;
    l.LoadFromFile(dir.Write("garbage", garbage));
    EXPECT_GT(l.Count(), 0u);
    const std::string longLine = "Source=" + std::string(1 << 20, 'x');
    l.LoadFromFile(dir.Write("long", longLine));
    EXPECT_EQ(l.Value("Source").size(), size_t(1) << 20);
    l.LoadFromFile(dir.Write("odd-utf16", "\xFF\xFE\x41"));
    EXPECT_EQ(l.Count(), 1u);
}
