#include <filesystem>

#include "support/ConvertFixture.h"
#include "support/FakeExcel.h"

using namespace convert;

namespace fs = std::filesystem;
using automation::Variant;

class Driver : public ConvertTest {
protected:
    fake::Installed excel;
    fake::Script& script = *excel.script;
};

TEST_F(Driver, ConvertsWithDefaultOptionsAndQuitsAtTheEnd) {
    batch::TkvBatch& b = NewBatch();
    auto w = std::make_unique<TestQuindle>(b);
    auto n1 = Entry(Put("a.xlsx"));
    auto n2 = Entry(Put("sub/b.xls"));
    w->ConvertNode(b, *n1);
    w->ConvertNode(b, *n2);

    EXPECT_EQ(n1->State, batch::TNodeState::Success);
    EXPECT_EQ(n1->ResultText, out + "a.htm");
    EXPECT_EQ(n2->ResultText, out + "sub/b.htm");
    EXPECT_EQ(ReadFileText(out + "a.htm"), "<html>book</html>");
    EXPECT_EQ(b.SuccessCount(), 2);
    // One instance for the worker, one open and close per file.
    EXPECT_EQ(script.created, 1);
    EXPECT_EQ(script.opens, 2);
    EXPECT_EQ(script.closes, 2);
    EXPECT_TRUE(script.alertsOff);
    ASSERT_EQ(script.openArgs[0].size(), 3u);
    EXPECT_TRUE(script.openArgs[0][1].IsOmitted());
    bool ro = true;
    EXPECT_TRUE(script.openArgs[0][2].ToBool(ro));
    EXPECT_FALSE(ro);
    EXPECT_EQ(w->ExcelVersion, 16);
    EXPECT_EQ(info->Stat("W"), "16");

    LiveWorkerCount = 1;
    w->Finish();
    EXPECT_EQ(script.quits, 1);
    EXPECT_FALSE(w->ExcelApp.IsObject());
    EXPECT_EQ(LiveWorkerCount, 0);
}

TEST_F(Driver, OpenArgumentsForReadOnlyAndSkipPassword) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    project->SetOption("ReadOnly", "1");
    w.ConvertNode(b, *Entry(Put("a.xls")));
    project->SetOption("ReadOnly", "0");
    project->SetOption("SkipPassword", "1");
    w.ConvertNode(b, *Entry(Put("b.xls")));

    ASSERT_EQ(script.openArgs.size(), 2u);
    bool ro = false;
    EXPECT_TRUE(script.openArgs[0][2].ToBool(ro) && ro);
    const auto& skip = script.openArgs[1];
    ASSERT_EQ(skip.size(), 5u);
    EXPECT_TRUE(skip[1].IsOmitted());
    EXPECT_TRUE(skip[2].ToBool(ro) && ro);  // always read-only
    EXPECT_TRUE(skip[3].IsOmitted());
    EXPECT_EQ(skip[4].type(), Variant::Type::Int);
}

TEST_F(Driver, CreationFailureFailsEachFileAndIsRetried) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    script.createStatus = automation::kREGDB_E_CLASSNOTREG;
    auto n1 = Entry(Put("a.xls"));
    auto n2 = Entry(Put("b.xls"));
    w.ConvertNode(b, *n1);
    w.ConvertNode(b, *n2);
    const std::string text = "Class not registered, ProgID: \"Excel.Application\"";
    EXPECT_EQ(n1->State, batch::TNodeState::Failure);
    EXPECT_EQ(n1->ResultText, text);
    EXPECT_EQ(n2->ResultText, text);
    EXPECT_EQ(b.FailureCount(), 2);
    EXPECT_EQ(b.Errors(), std::vector<std::string>{text});

    script.createStatus = 0;
    auto n3 = Entry(Put("c.xls"));
    w.ConvertNode(b, *n3);
    EXPECT_EQ(n3->State, batch::TNodeState::Success);
    w.Finish();  // LiveWorkerCount is not ours here; only the quit matters
    LiveWorkerCount = 0;
    EXPECT_EQ(script.quits, 1);
}

TEST_F(Driver, FailedOpenOrSaveKeepsTheOldTargetAndTheSource) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    project->SetOption("DeleteSource", "1");
    std::string old = dir.Write("out/a.htm", "old target");
    std::string a = Put("a.xls");

    script.openError = "'a.xls' is damaged.\r\n";
    auto n = Entry(a);
    w.ConvertNode(b, *n);
    EXPECT_EQ(n->State, batch::TNodeState::Failure);
    EXPECT_EQ(n->ResultText, "'a.xls' is damaged");
    EXPECT_EQ(ReadFileText(old), "old target");
    EXPECT_TRUE(fs::exists(a));

    script.openError.clear();
    script.saveError = "Disk full.";
    n = Entry(a);
    w.ConvertNode(b, *n);
    EXPECT_EQ(n->ResultText, "Disk full");
    EXPECT_EQ(ReadFileText(old), "old target");
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(script.closes, 1);  // the workbook did not stay open
    EXPECT_FALSE(w.Workbook.IsObject());

    script.saveError.clear();
    script.openStatus = static_cast<automation::HResult>(0x800A03EC);
    n = Entry(a);
    w.ConvertNode(b, *n);
    EXPECT_EQ(n->ResultText, "OLE error 800a03ec");
    EXPECT_EQ(b.FailureCount(), 3);
}

TEST_F(Driver, SheetSelection) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    project->SetOption("AllSheets", "False");
    auto convert = [&](const char* sheet) {
        project->SetOption("Sheet", sheet);
        auto n = Entry(Put("a.xls"));
        w.ConvertNode(b, *n);
        return n->State == batch::TNodeState::Success ? script.savedWhat.back() : n->ResultText;
    };
    for (const char* active : {"", "0", "-1", "abc"}) EXPECT_EQ(convert(active), "active") << active;
    EXPECT_EQ(convert("2"), "sheet 2");
    int closes = script.closes;
    EXPECT_EQ(convert("4"), "Invalid index");
    EXPECT_EQ(script.closes, closes + 1);

    script.omitSheetsMember = true;
    EXPECT_EQ(convert("1"), "Method 'Sheets' not supported by automation object");
}

TEST_F(Driver, SkippedEntryIsNotOpened) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    dir.Write("out/a.htm", "old");
    project->SetOption("IsOverwrite", "skip");
    auto n = Entry(Put("a.xls"));
    w.ConvertNode(b, *n);
    EXPECT_EQ(n->State, batch::TNodeState::Success);
    EXPECT_EQ(script.created, 0);
    EXPECT_EQ(ReadFileText(out + "a.htm"), "old");
}

TEST_F(Driver, VersionAndMacros) {
    auto parse = [](const char* v, char sep = '.') { return TkvExcelOle::ParseExcelVersion(Variant(v), sep); };
    EXPECT_EQ(parse("16.0"), 16);
    EXPECT_EQ(parse("16.0", ','), 16);  // read without the locale's separator
    EXPECT_EQ(parse("7.0", ','), 70);
    EXPECT_EQ(parse("8.0", ','), 8);
    EXPECT_EQ(parse("77"), 77);
    EXPECT_EQ(parse("78"), 7);
    EXPECT_EQ(parse("garbage"), 0);
    EXPECT_EQ(TkvExcelOle::ParseExcelVersion(Variant(12.5)), 12);

    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    EXPECT_TRUE(w.HasMacros());  // version not read yet
    w.OpenWorkbook(Put("a.xlsm"));
    EXPECT_FALSE(w.HasMacros());
    script.hasVbProject = true;
    EXPECT_TRUE(w.HasMacros());
    script.hasVbProject = false;
    script.failHasVbProject = true;
    EXPECT_TRUE(w.HasMacros());
    w.CloseWorkbook();
    script.failHasVbProject = false;
    EXPECT_TRUE(w.HasMacros());  // no workbook: the call fails
    w.ExcelVersion = 11;
    w.OpenWorkbook(Put("b.xlsx"));
    EXPECT_TRUE(w.HasMacros());
    EXPECT_EQ(w.GetEngineExe(), "/opt/fake/EXCEL.EXE");
    w.CloseWorkbook();
}

// Someone saves a newer version over the workbook while it converts: the page
// shows the old one, so the new one must survive the source clean-up.
TEST_F(Driver, ASourceSavedOverDuringItsConversionIsKept) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    project->SetOption("DeleteSource", "1");
    std::string a = Put("a.xls", "version 1");
    script.whileOpening = [&](const std::string&) {
        dir.Write("in/.a.xls.saving", "version 2");
        fs::rename(src + ".a.xls.saving", a);
    };
    auto n = Entry(a);
    w.ConvertNode(b, *n);
    EXPECT_EQ(n->State, batch::TNodeState::Success);
    EXPECT_EQ(n->ResultText, out + "a.htm");
    EXPECT_EQ(n->Note, "the source was kept: it changed while it was converted");
    EXPECT_EQ(ReadFileText(a), "version 2");

    // Unchanged, it goes as asked.
    script.whileOpening = nullptr;
    auto m = Entry(a);
    w.ConvertNode(b, *m);
    EXPECT_EQ(m->Note, "");
    EXPECT_FALSE(fs::exists(a));
}
