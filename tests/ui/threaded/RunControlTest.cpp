#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>
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
    // Convert keeps its caption and place; Pause and Stop have their own.
    EXPECT_EQ(frm->bCreate->text(), "&Convert");
    EXPECT_FALSE(frm->bCreate->isEnabled());
    EXPECT_TRUE(frm->bPause->isEnabled());
    EXPECT_TRUE(frm->bStop->isEnabled());
    EXPECT_TRUE(frm->bSearchConvert->isHidden());

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
    EXPECT_FALSE(frm->bStop->isEnabled());
    EXPECT_TRUE(frm->bSearchConvert->isHidden());
    EXPECT_TRUE(frm->StatusText().startsWith("Finished: 12 converted, 2 failed in "))
        << frm->StatusText().toStdString();

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
    // The close is not ignored: the window says what it waits for.
    QTest::qWait(300);
    EXPECT_EQ(frm->StatusText(), "Finishing 2 files… close again to quit at once");
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

TEST_F(RunTest, ASecondClickOnConvertNeverStopsTheRun) {
    MakeSource(6);
    Prepare(2);
    frm->show();
    work.SetGate(false);
    frm->bCreate->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 2; }, 10000));
    frm->bCreate->click();
    QTest::mouseClick(frm->bCreate, Qt::LeftButton);
    EXPECT_FALSE(frm->StopRequested);
    EXPECT_TRUE(frm->aStop->isEnabled());
    EXPECT_EQ(frm->Phase(), TkvRunPhase::Converting);
    work.SetGate(true);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Successes(), 6);
    EXPECT_EQ(work.chains.load(), 1);
}

TEST_F(RunTest, ProgressShowsTheRowsInHandAndTheCount) {
    MakeSource(8);
    Prepare(2);
    frm->show();
    work.SetGate(false);
    frm->aConvert->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 2; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->Model()->ConvertingRows() == 2; }, 10000));
    frm->Model()->Flush();
    EXPECT_EQ(frm->Model()->Status(0), TkvRowStatus::Converting);
    EXPECT_EQ(frm->Model()->Status(1), TkvRowStatus::Converting);
    EXPECT_EQ(frm->Model()->Status(2), TkvRowStatus::Waiting);
    EXPECT_EQ(frm->View()->index(0, 0).data(kStatusRole).toInt(), int(TkvRowStatus::Converting));
    EXPECT_TRUE(frm->pbRun->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->pbRun->maximum() == 8; }, 10000));
    EXPECT_EQ(frm->pbRun->value(), 0);
    EXPECT_TRUE(frm->StatusText().startsWith("Converting 0 of 8 · ")) << frm->StatusText().toStdString();
    EXPECT_EQ(frm->fWaiting->text(), "Waiting 8");

    // Pause: the two in hand finish, the rest waits.
    frm->aPause->trigger();
    EXPECT_TRUE(frm->StatusText().startsWith("Pausing: finishing 2 files…")) << frm->StatusText().toStdString();
    work.SetGate(true);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(frm->StatusText(), "Paused after 2 of 8 · Convert goes on with the rest");
    EXPECT_FALSE(frm->pbRun->isVisible());
    EXPECT_EQ(frm->Model()->ConvertingRows(), 0);
    EXPECT_EQ(frm->fWaiting->text(), "Waiting 6");
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(frm->StatusText().startsWith("Finished: 8 converted in ")) << frm->StatusText().toStdString();
}

TEST_F(RunTest, AListMadeFromAnotherSourceIsSearchedAgain) {
    MakeSource(3);
    dir.Write("other/new0.xlsx", "x");
    dir.Write("other/new1.xlsx", "x");
    dir.Write("in/sub/deep.xlsx", "x");
    Prepare(2);
    frm->aSearch->trigger();
    ASSERT_TRUE(WaitRows(3));
    EXPECT_FALSE(frm->ListIsStale());

    // Another folder named after the search: Convert converts that one.
    frm->eSource->setText(QString::fromStdString(dir / "other/*.xls?"));
    EXPECT_TRUE(frm->ListIsStale());
    EXPECT_TRUE(frm->StatusText().endsWith("Source changed: Convert searches again"))
        << frm->StatusText().toStdString();
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(work.Times(dir / "in/book0.xlsx"), 0);
    EXPECT_EQ(work.Times(dir / "other/new0.xlsx"), 1);
    EXPECT_EQ(work.Times(dir / "other/new1.xlsx"), 1);

    // Sub folders ticked after a search: the same.
    frm->eSource->setText(QString::fromStdString(dir / "in/*.xls?"));
    frm->aSearch->trigger();
    ASSERT_TRUE(WaitRows(3));
    frm->cSubdir->setChecked(true);
    EXPECT_TRUE(frm->ListIsStale());
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(work.Times(dir / "in/sub/deep.xlsx"), 1);

    // Changing it back before Convert leaves the list as it is.
    frm->cSubdir->setChecked(false);
    frm->aSearch->trigger();
    ASSERT_TRUE(WaitRows(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->Batch->IsSearching(); }, 10000));
    frm->eSource->setText("/somewhere/else/*.xls?");
    frm->eSource->setText(QString::fromStdString(dir / "in/*.xls?"));
    EXPECT_FALSE(frm->ListIsStale());
    const int chains = work.chains.load();
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(work.chains.load(), chains + 1);
    EXPECT_EQ(work.Times(dir / "in/sub/deep.xlsx"), 1);
}

TEST_F(RunTest, DaemonWaitsVisiblyAndStopEndsTheCycleBetweenRuns) {
    MakeSource(2);
    dir.Write("quindle.batch-quindle",
              "Source=" + dir / "in/*.xls?" + "\r\nTarget=" + dir / "out/" + "\r\nDaemon=60000\r\n");
    MakeWindow();
    frm->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->Phase() == TkvRunPhase::NextRun; }, 10000));
    // The count starts at 60 and goes down once a second: a slow machine may
    // already show 59 or less by the time the test reads it.
    const QRegularExpressionMatch next = QRegularExpression("^Next run in (\\d+) s").match(frm->StatusText());
    ASSERT_TRUE(next.hasMatch()) << frm->StatusText().toStdString();
    EXPECT_GE(next.captured(1).toInt(), 50);
    EXPECT_LE(next.captured(1).toInt(), 60);
    EXPECT_TRUE(frm->aStop->isEnabled());
    EXPECT_TRUE(frm->bStop->isEnabled());
    frm->bStop->click();
    EXPECT_FALSE(frm->DaemonTimer().isActive());
    EXPECT_EQ(frm->Phase(), TkvRunPhase::Stopped);
    EXPECT_FALSE(frm->aStop->isEnabled());
    EXPECT_EQ(work.chains.load(), 1);
    EXPECT_TRUE(frm->isVisible());
}

TEST_F(RunTest, UnattendedCyclesNeverTakeTheFocus) {
    MakeSource(1);
    // No target: every cycle ends at once and waits for the next one.
    dir.Write("quindle.batch-quindle", "Source=" + dir / "in/*.xls?" + "\r\nDaemon=30\r\n");
    MakeWindow();
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    frm->eSource->setFocus();
    for (int i = 0; i < 5; ++i) {
        QTest::qWait(40);
        QTest::keyClicks(QApplication::focusWidget(), "x");
    }
    EXPECT_TRUE(frm->eSource->hasFocus());
    EXPECT_EQ(frm->eTarget->text(), "");
    EXPECT_TRUE(frm->eSource->text().endsWith("xxxxx"));
    EXPECT_EQ(work.chains.load(), 0);
    EXPECT_TRUE(frm->StatusText().contains("no target folder")) << frm->StatusText().toStdString();
    frm->aStop->trigger();
    EXPECT_FALSE(frm->DaemonTimer().isActive());
}

TEST_F(RunTest, ASecondCloseDuringARunEndsAtOnce) {
    MakeSource(4);
    Prepare(1);
    frm->show();
    work.SetGate(false);
    frm->aConvert->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.holding.load() == 1; }, 10000));
    EXPECT_FALSE(frm->close());
    EXPECT_EQ(quitNowCalls, 0);
    EXPECT_FALSE(frm->close());
    EXPECT_EQ(quitNowCalls, 1);
    work.SetGate(true);
}

TEST_F(RunTest, FilterAndSortFollowResultsDuringARun) {
    MakeSource(20, {"bad1.xlsx", "bad2.xlsx"});
    Prepare(3);
    frm->fFailed->click();
    frm->lViewer->sortByColumn(1, Qt::DescendingOrder);
    frm->aConvert->trigger();
    ASSERT_TRUE(WaitIdle());
    frm->Model()->Flush();
    ASSERT_EQ(frm->View()->rowCount(), 2);
    EXPECT_TRUE(frm->View()->index(0, 1).data().toString().endsWith("bad2.xlsx"));
    EXPECT_EQ(frm->fFailed->text(), "Failed 2");
    EXPECT_EQ(frm->fConverted->text(), "Converted 20");
}

TEST(RowFeed, HundredThousandRowsStayCheapThroughASortedFilteredView) {
    TestApp();
    TkvResultModel model;
    TkvResultFilter view(&model);
    QTreeView tree;
    tree.setUniformRowHeights(true);
    tree.setModel(&view);
    tree.setSortingEnabled(true);
    tree.sortByColumn(1, Qt::DescendingOrder);
    tree.resize(800, 600);
    tree.show();
    const uint64_t gen = model.Generation();
    auto feed = model.Feed();
    QElapsedTimer t;
    t.start();
    std::thread producer([feed, gen] {
        for (int i = 0; i < 100000; ++i) feed->Added(gen, i, "/big/file" + std::to_string(i) + ".xlsx");
        for (int i = 0; i < 100000; i += 2)
            feed->Result(gen, i, i % 10 ? batch::TNodeState::Success : batch::TNodeState::Failure,
                         "/big/file" + std::to_string(i) + ".xlsx", "ok");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.rowCount() == 100000 && model.DoneRows() == 50000; }, 60000));
    producer.join();
    const qint64 fill = t.elapsed();
    EXPECT_EQ(view.index(0, 1).data().toString(), "/big/file99999.xlsx");
    t.restart();
    view.SetFilter(TkvListFilter::Failed);
    EXPECT_EQ(view.rowCount(), 10000);  // every tenth file failed
    const qint64 filter = t.elapsed();
    std::printf("100,000 rows sorted and shown in %lld ms; filtered in %lld ms\n", static_cast<long long>(fill),
                static_cast<long long>(filter));
    // Far above what it takes; a fault that goes quadratic would not finish.
    EXPECT_LT(fill, 30000);
}
