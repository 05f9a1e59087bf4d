#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <filesystem>

#include "../UiTestSupport.h"

using namespace ui;

namespace {

class RunTest : public UiTest {
protected:
    // n workbooks (names from `names` when given) in a source folder.
    void MakeSource(int n, const std::vector<std::string>& names = {}) {
        for (int i = 0; i < n; ++i) dir.Write("in/book" + std::to_string(i) + ".xlsx", "x");
        for (const auto& name : names) dir.Write("in/" + name, "x");
        dir.Write("in/notes.txt", "not a workbook");
    }
    void Prepare(int workers = 2) {
        MakeWindow(workers);
        frm->aNew->trigger();
        frm->eSource->setText(QString::fromStdString(dir / "in/*.xls?"));
        frm->eTarget->setText(QString::fromStdString(dir / "out"));
    }
    int Successes() const { return frm->Model()->SuccessRows(); }
};

}  // namespace

TEST_F(RunTest, SearchThenConvertShowsEveryResultAndRestoresTheButtons) {
    MakeSource(12, {"bad1.xls", "bad2.xlsx"});
    Prepare();
    frm->aSearchConvert->trigger();
    EXPECT_TRUE(frm->IsRunning());
    EXPECT_FALSE(frm->aConvert->isEnabled());
    EXPECT_FALSE(frm->aSearch->isEnabled());
    EXPECT_EQ(frm->bCreate->text(), "Pause");
    EXPECT_EQ(frm->bSearchConvert->text(), "Sto&p");
    EXPECT_FALSE(frm->bSearchConvert->isHidden());

    ASSERT_TRUE(WaitIdle());
    frm->Model()->Flush();
    ASSERT_EQ(frm->Model()->rowCount(), 14);
    EXPECT_EQ(Successes(), 12);
    EXPECT_EQ(frm->Model()->FailureRows(), 2);
    for (int i = 0; i < frm->Model()->rowCount(); ++i) {
        const TkvRow& r = frm->Model()->Row(i);
        EXPECT_FALSE(r.result.isEmpty()) << r.fileName.toStdString();
        EXPECT_NE(r.state, batch::TNodeState::Waiting);
    }
    // The target was made a folder with its delimiter.
    EXPECT_EQ(frm->eTarget->text().toStdString(), dir / "out/");
    EXPECT_TRUE(frm->aConvert->isEnabled());
    EXPECT_EQ(frm->bCreate->text(), "&Convert");
    EXPECT_TRUE(frm->bSearchConvert->isHidden());
    EXPECT_TRUE(frm->StatusText().startsWith("Found: 14    Converted: 12    Failed: 2"));

    // Counters and one error report for the two failures with one message.
    EXPECT_EQ(info::kvInfo->Stat("C"), "1");
    EXPECT_EQ(info::kvInfo->Stat("A"), "14");
    EXPECT_EQ(info::kvInfo->Stat("S"), "12");
    EXPECT_EQ(info::kvInfo->Stat("F"), "2");

    // Converting again after a normal end searches the source again.
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(work.chains.load(), 2);
    EXPECT_EQ(work.Times(dir / "in/book0.xlsx"), 2);
}

TEST_F(RunTest, TargetIsReducedToAFolderBeforeTheRun) {
    MakeSource(2);
    Prepare();
    const std::string existing = dir.Write("out2/old.htm", "x");
    frm->eTarget->setText(QString::fromStdString(dir / "out2/*.htm"));
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(frm->eTarget->text().toStdString(), dir / "out2/");

    frm->eTarget->setText(QString::fromStdString(existing));
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(frm->eTarget->text().toStdString(), dir / "out2/");

    // A bare mask has no folder left: nothing runs.
    const int chains = work.chains.load();
    frm->eTarget->setText("*.htm");
    frm->aConvert->trigger();
    EXPECT_FALSE(frm->IsRunning());
    EXPECT_EQ(work.chains.load(), chains);

    // An empty target box: focus goes there, nothing runs.
    frm->eTarget->clear();
    frm->aConvert->trigger();
    EXPECT_EQ(work.chains.load(), chains);
}

TEST_F(RunTest, PauseThenConvertConvertsNoFileTwice) {
    MakeSource(30);
    Prepare(3);
    work.delayMs = 5;
    work.SetGate(false);
    frm->aConvert->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 3; }, 10000));
    frm->aPause->trigger();
    EXPECT_FALSE(frm->aPause->isEnabled());
    EXPECT_FALSE(frm->aStop->isEnabled());
    work.SetGate(true);
    ASSERT_TRUE(WaitIdle());
    // The three held entries finished; nothing else started.
    EXPECT_EQ(work.Distinct(), 3u);
    EXPECT_EQ(Successes(), 3);

    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(work.Distinct(), 30u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(work.Times(dir / ("in/book" + std::to_string(i) + ".xlsx")), 1);
    EXPECT_EQ(Successes(), 30);
}

TEST_F(RunTest, StopThenConvertSearchesAgain) {
    MakeSource(10);
    Prepare(1);
    work.SetGate(false);
    frm->aConvert->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 1; }, 10000));
    frm->aStop->trigger();
    EXPECT_TRUE(frm->StopRequested);
    work.SetGate(true);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(frm->Batch, nullptr);
    EXPECT_EQ(work.Distinct(), 1u);

    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    frm->Model()->Flush();
    EXPECT_EQ(frm->Model()->rowCount(), 10);
    EXPECT_EQ(Successes(), 10);
    EXPECT_EQ(work.Times(dir / "in/book0.xlsx") + work.Times(dir / "in/book1.xlsx"), 3);
}

TEST_F(RunTest, RunAndCloseConvertsOnFirstShowWritesTheLogAndCloses) {
    // The error report is the point here; the recorder keeps the browser shut.
    const QByteArray quiet = qgetenv("QUINDLE_QUIET");
    qunsetenv("QUINDLE_QUIET");
    struct Restore {
        QByteArray v;
        ~Restore() {
            if (!v.isNull()) qputenv("QUINDLE_QUIET", v);
        }
    } restore{quiet};
    MakeSource(3, {"bad.xls", "bad2.xlsx"});
    const std::string log = dir / "run.log";
    project::kvProject->SetOption("Source", dir / "in/*.xls?");
    project::kvProject->SetOption("Target", dir / "out/");
    project::kvProject->SetOption("RunAndClose", "True");
    project::kvProject->SetOption("LogFile", log);
    // The window reads the options when it is created.
    dir.Write("quindle.batch-quindle", project::kvProject->OptionsText());
    MakeWindow();
    frm->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->isVisible(); }, 10000));
    const std::string text = ReadFileText(log);
    EXPECT_NE(text.find("[Success] => " + dir / "in/book0.xlsx => " + dir / "out/book0.xlsx.htm\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Failure] => " + dir / "in/bad.xls => Bad workbook?\r\n"), std::string::npos);
    // Failures open the error report, the message once, "?" escaped.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("?a=err&e=Bad workbook%3F&p=quindle"), std::string::npos) << opened[0];
}

TEST_F(RunTest, DaemonRepeatsUntilStopAndKeepsTheWindowResponsive) {
    MakeSource(2);
    dir.Write("quindle.batch-quindle",
              "Source=" + dir / "in/*.xls?" + "\r\nTarget=" + dir / "out/" + "\r\nDaemon=50\r\n");
    MakeWindow();
    frm->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.chains.load() >= 3; }, 10000));
    EXPECT_TRUE(frm->isVisible());
    // Between runs the event loop serves the window: the timer is pending,
    // not a sleep.
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->DaemonTimer().isActive(); }, 10000));
    work.SetGate(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->IsRunning(); }, 10000));
    frm->aStop->trigger();
    work.SetGate(true);
    ASSERT_TRUE(WaitIdle());
    const int chains = work.chains.load();
    QTest::qWait(200);
    EXPECT_EQ(work.chains.load(), chains);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_FALSE(frm->DaemonTimer().isActive());
}

TEST_F(RunTest, ClosingDuringARunLetsWorkersFinishThenCloses) {
    MakeSource(8);
    Prepare(2);
    frm->show();
    work.SetGate(false);
    frm->aConvert->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 2; }, 10000));
    EXPECT_FALSE(frm->close());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(frm->StopRequested);
    work.SetGate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->isVisible(); }, 10000));
    EXPECT_FALSE(frm->IsRunning());
    // Both held files got their result; nothing else was started.
    EXPECT_EQ(work.Distinct(), 2u);
    EXPECT_EQ(Successes(), 2);
}

TEST_F(RunTest, HttpSourceGivesOneRowWithoutSearching) {
    Prepare();
    frm->eSource->setText("http://example.com/book.xlsx");
    frm->aSearch->trigger();
    ASSERT_TRUE(WaitRows(1));
    EXPECT_EQ(frm->Model()->Row(0).fileName, "http://example.com/book.xlsx");
}

TEST(RowFeed, HundredThousandRowsArriveInFewCoalescedUpdates) {
    TestApp();
    TkvResultModel model;
    int inserts = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
    const uint64_t gen = model.Generation();
    auto feed = model.Feed();
    std::thread producer([feed, gen] {
        for (int i = 0; i < 100000; ++i) feed->Added(gen, i, "/big/file" + std::to_string(i) + ".xlsx");
        for (int i = 0; i < 100000; i += 2)
            feed->Result(gen, i, batch::TNodeState::Success, "/big/file" + std::to_string(i) + ".xlsx", "ok");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 100000 && model.SuccessRows() == 50000; }, 20000));
    producer.join();
    EXPECT_LT(inserts, 500);
    EXPECT_EQ(model.Row(99999).fileName, "/big/file99999.xlsx");
    EXPECT_EQ(model.Row(2).result, "ok");

    // Updates of an older batch are dropped after a reset.
    feed->Added(gen, 0, "/stale.xlsx");
    model.Reset();
    model.Flush();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(RowFeed, AResultMayOvertakeTheNoticeOfItsEntry) {
    TestApp();
    TkvResultModel model;
    const uint64_t gen = model.Generation();
    model.Feed()->Result(gen, 2, batch::TNodeState::Failure, "/c.xlsx", "broken");
    model.Feed()->Added(gen, 0, "/a.xlsx");
    model.Feed()->Added(gen, 2, "/c.xlsx");
    model.Flush();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.Row(2).state, batch::TNodeState::Failure);
    EXPECT_EQ(model.Row(2).result, "broken");
    model.Feed()->Added(gen, 1, "/b.xlsx");
    model.Flush();
    EXPECT_EQ(model.Row(1).fileName, "/b.xlsx");
    EXPECT_EQ(model.FailureRows(), 1);
}

TEST_F(RunTest, RealWorkersConvertTheExampleWorkbooks) {
    namespace fs = std::filesystem;
    const fs::path examples = fs::path(QUINDLE_SOURCE_DIR) / "examples";
    int copied = 0;
    std::error_code ec;
    fs::create_directories(dir / "in", ec);
    for (const char* name : {"sales.xlsx", "schedule.xlsx", "contacts.xls", "inventory.xls"})
        copied += fs::copy_file(examples / name, fs::path(dir / "in") / name, ec);
    ASSERT_EQ(copied, 4);
    dir.Write("in/damaged.xlsx", "not a workbook at all");
    project::kvProject->SetOption("ThreadsCount", "2");
    frm = new TkvFrmMain();  // the real worker factory
    frm->eSource->setText(QString::fromStdString(dir / "in/*.xls?"));
    frm->eTarget->setText(QString::fromStdString(dir / "out/"));
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle(60000));
    frm->Model()->Flush();
    ASSERT_EQ(frm->Model()->rowCount(), 5);
    EXPECT_EQ(frm->Model()->SuccessRows(), 4);
    EXPECT_EQ(frm->Model()->FailureRows(), 1);
    for (int i = 0; i < 5; ++i) {
        const TkvRow& r = frm->Model()->Row(i);
        if (r.state != batch::TNodeState::Success) continue;
        EXPECT_TRUE(fs::is_regular_file(r.result.toStdString())) << r.result.toStdString();
    }
    EXPECT_TRUE(fs::is_regular_file(dir / "out/sales.htm"));
}
