#include "ProjectFixture.h"

#include "platform/Files.h"

using namespace project;

TEST_F(ProjectTest, NoArgumentAndNoDefaultProject) {
    TkvProject& p = Start();
    p.ParseCommandLine();
    EXPECT_EQ(p.FileName, dir / "bin/quindle.batch-quindle");
    EXPECT_EQ(p.OptionsText(), "");
    EXPECT_TRUE(p.Recent().empty());
    EXPECT_FALSE(p.ExitRequested());
}

TEST_F(ProjectTest, ASourceFileBecomesAnUntitledProject) {
    TkvProject& p = Start({"/in/book.xls"});
    p.ParseCommandLine();
    EXPECT_EQ(p.Source(), "/in/book.xls");
    EXPECT_EQ(p.Target(), "/in/");
    EXPECT_EQ(p.FileName, "");
    // The window opens the current project again once its controls exist.
    p.OpenCurrent();
    EXPECT_EQ(p.FileName, dir / "bin/quindle.batch-quindle");
    EXPECT_EQ(p.Source(), "/in/book.xls");

    dir.Write("bin/quindle.batch-quindle", "Source=/default/*.xls?\r\n");
    TkvProject& q = Start({"/in/book.xls"});
    q.ParseCommandLine();
    EXPECT_EQ(q.OptionsText(), "Source=/in/book.xls\r\nTarget=/in/\r\n");
    q.OpenCurrent();
    EXPECT_EQ(q.OptionsText(), "Source=/default/*.xls?\r\n");
}

TEST_F(ProjectTest, ProjectFilesAreRecognisedByTheirExactExtension) {
    const std::string proj = dir.Write("p.batch-quindle", "Source=/a\r\n");
    TkvProject& p = Start({proj});
    p.ParseCommandLine();
    EXPECT_EQ(p.FileName, proj) << "an absolute path is a file, not a switch";
    EXPECT_EQ(p.Source(), "/a");
    EXPECT_EQ(p.Recent(), std::vector<std::string>{proj});

    for (const std::string name : {"P.BATCH-QUINDLE", "a.batch-quindle.batch-quindle", "a.batch-quindlex"}) {
        const std::string path = dir.Write(name, "Source=/never\r\n");
        TkvProject& q = Start({path});
        q.ParseCommandLine();
        EXPECT_EQ(q.Source(), path) << name;
        EXPECT_EQ(q.FileName, "") << name;
    }
}

TEST_F(ProjectTest, InlineOptions) {
    TkvProject& p = Start({"-P:Source=/in/*.xls?,Target=/out/;PureConsole=1"});
    p.ParseCommandLine();
    EXPECT_EQ(p.InlineOptions, "Source=/in/*.xls?\r\nTarget=/out/\r\nPureConsole=1");
    EXPECT_EQ(p.OptionsText(), "Source=/in/*.xls?\r\nTarget=/out/\r\nPureConsole=1\r\n");
    EXPECT_EQ(p.FileName, "");

    TkvProject& q = Start({"-pSource=/in/x.xlsx"});
    q.ParseCommandLine();
    EXPECT_EQ(q.Target(), "/in/") << "the target is derived from the source";

    for (const std::string arg : {"-P", "-P:", "/P:Source=/x"}) {
        TkvProject& r = Start({arg});
        r.ParseCommandLine();
        if (arg[0] == '-') {
            EXPECT_EQ(r.InlineOptions, "") << arg;
            EXPECT_EQ(r.FileName, dir / "bin/quindle.batch-quindle") << arg;
        } else {
            EXPECT_EQ(r.Source(), arg) << "a leading slash is a path";
        }
    }
}

TEST_F(ProjectTest, NoticeSwitchesOpenTheirPageAndAskToEnd) {
    TkvProject& p = Start({"-u"});
    p.ParseCommandLine();
    EXPECT_TRUE(p.ExitRequested());
    EXPECT_EQ(p.FileName, "") << "no project is opened";
    TkvProject& q = Start({"-Isrc=cd"});
    q.ParseCommandLine();
    EXPECT_TRUE(q.ExitRequested());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind("http://www.quindle.example/net/?a=uni&p=quindle&v=1.0&c=", 0), 0u) << opened[0];
    EXPECT_EQ(opened[1].rfind("http://www.quindle.example/net/?a=ins&", 0), 0u) << opened[1];
    EXPECT_EQ(opened[1].substr(opened[1].size() - 7), "&src=cd");
}

TEST_F(ProjectTest, ShortAndUnknownArgumentsAreIgnored) {
    for (const std::string arg : {"x", "-", "-x", "-Zfoo", "-é"}) {
        TkvProject& p = Start({"", arg, "/second/ignored.xls"});
        p.ParseCommandLine();
        EXPECT_EQ(p.FileName, dir / "bin/quindle.batch-quindle") << arg;
        EXPECT_EQ(p.Source(), "") << arg;
        EXPECT_FALSE(p.ExitRequested());
    }
    TkvProject& p = Start({"é"});  // two bytes, one letter
    p.ParseCommandLine();
    EXPECT_EQ(p.Source(), "");
}

TEST_F(ProjectTest, DefaultProjectLocations) {
    TkvProject& p = Start();
    EXPECT_EQ(p.DefaultProjectFile(), dir / "bin/quindle.batch-quindle");
    dir.Write("config/quindle/quindle.batch-quindle", "Source=/config\r\n");
    EXPECT_EQ(p.DefaultProjectFile(), dir / "config/quindle/quindle.batch-quindle");
    dir.Write("bin/quindle.batch-quindle", "Source=/beside\r\n");
    EXPECT_EQ(p.DefaultProjectFile(), dir / "bin/quindle.batch-quindle");

    // A program whose folder cannot be written keeps its files in the state
    // folder, and finds its saved default project there again.
    const std::string ro = dir / "system/quindle";
    TkvProject& q = Start({}, ro);
    EXPECT_EQ(q.RecentFileName(), dir / "state/quindle/quindle.log");
    EXPECT_EQ(q.DefaultProjectFile(), dir / "config/quindle/quindle.batch-quindle");
    dir.Write("state/quindle/quindle.batch-quindle", "Source=/state\r\n");
    q.ParseCommandLine();
    EXPECT_EQ(q.Source(), "/state");
}

// An installed program (bin/ beside share/quindle/) keeps its default
// project in the user's config folder, and saving it makes that folder.
TEST_F(ProjectTest, AnInstalledProgramKeepsItsDefaultProjectInTheConfigFolder) {
    std::filesystem::create_directories(dir / "share/quindle");
    dir.Write("bin/quindle.batch-quindle", "Source=/beside\r\n");
    TkvProject& p = Start();
    EXPECT_EQ(p.DefaultProjectFile(), dir / "config/quindle/quindle.batch-quindle");
    EXPECT_EQ(p.RecentFileName(), dir / "state/quindle/quindle.log");
    p.ParseCommandLine();
    EXPECT_EQ(p.Source(), "") << "nothing beside an installed program is read";
    p.SetOption("Source", "/data/*.xlsx");
    p.StoreOptions(true);
    EXPECT_EQ(ReadFileText(dir / "config/quindle/quindle.batch-quindle"), "Source=/data/*.xlsx\r\n");
    EXPECT_EQ(p.Recent(), std::vector<std::string>{dir / "config/quindle/quindle.batch-quindle"});
}
