#include "ProjectFixture.h"

using namespace project;

TEST_F(ProjectTest, TypedOptionsAndTheirDefaults) {
    TkvProject& p = Start();
    EXPECT_EQ(p.ThreadsCount(), 1);
    EXPECT_TRUE(p.KeepTargetSubdirs());
    EXPECT_FALSE(p.Subdir() || p.DeleteSource() || p.KeepFileTime() || p.MacroEnabled() || p.PureConsole());
    EXPECT_EQ(p.Daemon(), 0);
    EXPECT_FALSE(p.RunAndClose());
    EXPECT_EQ(p.IsOverwrite(), TOverwrite::Overwrite);

    for (auto [text, n] : {std::pair{"4", 4}, {"$10", 16}, {"0x10", 16}, {" 2", 2}, {"4.5", 1}, {"abc", 1}, {"", 1}}) {
        p.SetOption("threadscount", text);
        EXPECT_EQ(p.ThreadsCount(), n) << text;
    }
    p.SetOption("KeepTargetSubdirs", "0");
    p.SetOption("DeleteSource", "TRUE");
    p.SetOption("RenameSource", ".done");
    EXPECT_FALSE(p.KeepTargetSubdirs());
    EXPECT_TRUE(p.DeleteSource());
    EXPECT_EQ(p.RenameSource(), ".done");
    EXPECT_EQ(p.GetOption("renamesource"), ".done");
}

TEST_F(ProjectTest, OverwriteHasThreeOutcomes) {
    TkvProject& p = Start();
    const std::pair<const char*, TOverwrite> cases[] = {
        {"skip", TOverwrite::Skip},     {"SKIP", TOverwrite::Skip},       {"0", TOverwrite::Keep},
        {"False", TOverwrite::Keep},    {"1", TOverwrite::Overwrite},     {"-1", TOverwrite::Overwrite},
        {"2.5", TOverwrite::Overwrite}, {"True", TOverwrite::Overwrite},  {"yes", TOverwrite::Overwrite},
        {"", TOverwrite::Overwrite},    {" skip", TOverwrite::Overwrite},
    };
    for (auto [text, want] : cases) {
        p.SetOption("IsOverwrite", text);
        EXPECT_EQ(p.IsOverwrite(), want) << text;
    }
    p.DefaultOverwrite = false;
    p.SetOption("IsOverwrite", "yes");
    EXPECT_EQ(p.IsOverwrite(), TOverwrite::Keep);
    p.SetOption("IsOverwrite", "1");
    EXPECT_EQ(p.IsOverwrite(), TOverwrite::Overwrite);
}

TEST_F(ProjectTest, EffectiveRunAndClose) {
    TkvProject& p = Start();
    p.SetOptionsText("Daemon=5000\r\n");
    EXPECT_TRUE(p.RunAndClose());
    p.SetOptionsText("Daemon=-5\r\nRunAndClose=no\r\n");
    EXPECT_FALSE(p.RunAndClose());
    p.SetOptionsText("PureConsole=1\r\n");
    EXPECT_TRUE(p.RunAndClose());
    p.SetOptionsText("RunAndClose=true\r\nPureConsole=0\r\n");
    EXPECT_TRUE(p.RunAndClose());
    EXPECT_EQ(p.OptionsText(), "RunAndClose=true\r\nPureConsole=0\r\n");
}

TEST_F(ProjectTest, TargetFolderIsCreatedAndEndsWithTheDelimiter) {
    TkvProject& p = Start();
    EXPECT_EQ(p.TargetFolder(), "");
    p.SetOption("Target", dir / "out/deep");
    EXPECT_EQ(p.TargetFolder(), dir / "out/deep/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "out/deep"));
    p.SetOption("Target", dir / "out/");
    EXPECT_EQ(p.TargetFolder(), dir / "out/");
    dir.Write("file", "x");
    p.SetOption("Target", dir / "file/sub");
    EXPECT_EQ(p.TargetFolder(), dir / "file/sub/") << "a folder that cannot be made shows per file later";
}
