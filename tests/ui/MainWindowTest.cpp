#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QWindow>

#include "UiTestSupport.h"
#include "platform/Files.h"

using namespace ui;

namespace {

QString Title(const std::string& file) { return QString::fromStdString("Quindle Converter - " + file); }

}  // namespace

TEST_F(UiTest, TitleFollowsEveryProjectAction) {
    MakeWindow();
    // No argument and no default project yet: the default project is named.
    ASSERT_FALSE(project::kvProject->FileName.empty());
    EXPECT_EQ(frm->windowTitle(), Title(project::kvProject->FileName));

    frm->aNew->trigger();
    EXPECT_EQ(frm->windowTitle(), Title("None"));

    // Save on an untitled project asks for a name; cancelling writes nothing.
    frm->eSource->setText("/in/*.xls?");
    frm->aSave->trigger();
    EXPECT_EQ(frm->windowTitle(), Title("None"));

    const std::string saved = dir / "job.batch-quindle";
    choosers.saves.push_back(saved);
    frm->aSaveAs->trigger();
    EXPECT_EQ(frm->windowTitle(), Title(saved));
    EXPECT_NE(ReadFileText(saved).find("Source=/in/*.xls?"), std::string::npos);

    frm->aNew->trigger();
    EXPECT_TRUE(frm->eSource->text().isEmpty());
    EXPECT_FALSE(frm->cSubdir->isChecked());

    // Open with a cancelled chooser retitles without changing anything.
    frm->aOpen->trigger();
    EXPECT_EQ(frm->windowTitle(), Title("None"));
    choosers.files.push_back(saved);
    frm->aOpen->trigger();
    EXPECT_EQ(frm->windowTitle(), Title(saved));
    EXPECT_EQ(frm->eSource->text(), "/in/*.xls?");
}

TEST_F(UiTest, AFailedSaveSaysWhyEvenWhenQuiet) {
    MakeWindow();
    frm->eSource->setText("/keep/*.xls?");
    // A plain file where the project's folder should be: nothing can be written.
    dir.Write("blocker", "x");
    project::kvProject->FileName = dir / "blocker/x.batch-quindle";
    ASSERT_TRUE(info::kvInfo->IsQuiet());  // the tests keep browsers shut
    {
        MessageBoxCatcher box;
        frm->aSave->trigger();
        ASSERT_EQ(box.seen, 1);
        EXPECT_EQ(box.title, "Save");
        EXPECT_TRUE(box.text.contains(QString::fromStdString(dir / "blocker/x.batch-quindle")))
            << box.text.toStdString();
        EXPECT_FALSE(box.informative.isEmpty());
    }
    EXPECT_EQ(frm->eSource->text(), "/keep/*.xls?");
    EXPECT_EQ(frm->windowTitle(), Title(project::kvProject->FileName));

    // Save As to a place that cannot be written says so too.
    choosers.saves.push_back(dir / "blocker/y.batch-quindle");
    {
        MessageBoxCatcher box;
        frm->aSaveAs->trigger();
        EXPECT_EQ(box.seen, 1);
        EXPECT_EQ(box.title, "Save As");
    }
    // So does exporting the list.
    choosers.saves.push_back(dir / "blocker/list.log");
    {
        MessageBoxCatcher box;
        frm->ExportList1->trigger();
        EXPECT_EQ(box.seen, 1);
    }
    // The window still works afterwards.
    frm->aNew->trigger();
    EXPECT_EQ(frm->windowTitle(), Title("None"));
}

TEST_F(UiTest, ActionsCarryCaptionsHintsAndShortcuts) {
    MakeWindow();
    EXPECT_EQ(frm->aConvert->text(), "&Convert");
    EXPECT_EQ(frm->aStop->text(), "Sto&p");
    EXPECT_EQ(frm->aSearch->statusTip(), "Search files from the source folder");
    EXPECT_EQ(frm->aSearch->toolTip(), "Search files from the source folder (F5)");
    EXPECT_EQ(frm->aOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frm->aNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(frm->aSave->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(frm->aSaveAs->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_EQ(frm->aHelp->shortcut(), QKeySequence(Qt::Key_F1));
    for (QAction* a : {frm->aOpen, frm->aNew, frm->aSave, frm->aSaveAs, frm->aHelp, frm->aAbout})
        EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();

    // Idle: Convert on its button, the Start button hidden with its action,
    // Pause and Stop in their own places, unavailable.
    EXPECT_EQ(frm->bCreate->text(), "&Convert");
    EXPECT_TRUE(frm->bSearchConvert->isHidden());
    EXPECT_EQ(frm->bPause->text(), "Pause");
    EXPECT_EQ(frm->bStop->text(), "Sto&p");
    EXPECT_FALSE(frm->bPause->isEnabled());
    EXPECT_FALSE(frm->bStop->isEnabled());
    EXPECT_EQ(frm->bSearch->text(), "Search");
    // Bound controls show no hint.
    EXPECT_TRUE(frm->eSource->toolTip().isEmpty());
    EXPECT_TRUE(frm->cSubdir->toolTip().isEmpty());
    EXPECT_TRUE(frm->eTarget->toolTip().isEmpty());
    EXPECT_EQ(frm->tbOpen->popupMode(), QToolButton::MenuButtonPopup);
    // Tab order of the target row.
    EXPECT_EQ(frm->eTarget->nextInFocusChain(), frm->bTarget);
    EXPECT_EQ(frm->bTarget->nextInFocusChain(), frm->bSearchConvert);

    // Help opens the help file and counts; Home and Support open through the shell.
    frm->aHelp->trigger();
    EXPECT_EQ(info::kvInfo->Stat("H"), "1");
    frm->aSupports->trigger();
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back().rfind("mailto:", 0), 0u);
}

TEST_F(UiTest, SourceFolderChooserAndItsCancel) {
    MakeWindow();
    frm->aNew->trigger();
    // Cancelled with no folder part: the mask alone, and a lone delimiter as target.
    frm->bSource->click();
    EXPECT_EQ(frm->eSource->text(), "/*.xls?");
    EXPECT_EQ(frm->eTarget->text(), "/");

    frm->aNew->trigger();
    choosers.folders.push_back("/data");
    frm->bSource->click();
    EXPECT_EQ(frm->eSource->text(), "/data/*.xls?");
    EXPECT_EQ(frm->eTarget->text(), "/data/");
    // With a target set, a new source folder leaves it; the chooser starts
    // in the source's folder.
    choosers.folders.push_back("/other/");
    frm->bSource->click();
    EXPECT_EQ(choosers.calls.back(), "folder:/data/");
    EXPECT_EQ(frm->eSource->text(), "/other/*.xls?");
    EXPECT_EQ(frm->eTarget->text(), "/data/");

    // Target chooser: cancelling keeps the text, with a delimiter added.
    frm->eTarget->setText("/out");
    frm->bTarget->click();
    EXPECT_EQ(frm->eTarget->text(), "/out/");
    choosers.folders.push_back("/chosen");
    frm->bTarget->click();
    EXPECT_EQ(frm->eTarget->text(), "/chosen/");
}

TEST_F(UiTest, FilesChooserSingleSeveralAndCancel) {
    MakeWindow();
    frm->aNew->trigger();
    frm->eSource->setText("/in/*.xls?");
    frm->bSourceFile->click();  // cancelled
    EXPECT_EQ(frm->eSource->text(), "/in/*.xls?");
    EXPECT_EQ(frm->Model()->rowCount(), 0);
    EXPECT_EQ(choosers.calls.back(), "files:/in/*.xls?");

    choosers.files.push_back("/a/one.xlsx\r\n");
    QTest::mouseDClick(frm->eSource, Qt::LeftButton);  // the same as the Files button
    EXPECT_EQ(frm->eSource->text(), "/a/one.xlsx");
    ASSERT_EQ(frm->Model()->rowCount(), 1);
    EXPECT_EQ(frm->eTarget->text(), "/a/");

    choosers.files.push_back("/b/x.xls\r\n /b/y.xlsx \r\n/b/z.xlsm\r\n");
    frm->bSourceFile->click();
    EXPECT_EQ(frm->eSource->text(), "/a/one.xlsx");
    ASSERT_EQ(frm->Model()->rowCount(), 3);
    EXPECT_EQ(frm->Model()->Row(0).fileName, "/b/x.xls");
    EXPECT_EQ(frm->Model()->Row(1).fileName, "/b/y.xlsx");
    EXPECT_EQ(frm->Model()->Row(2).fileName, "/b/z.xlsm");
}

TEST_F(UiTest, DropsFollowTheControlUnderTheCursor) {
    MakeWindow();
    frm->aNew->trigger();
    const std::vector<std::string> books = {"/d/a.xlsx", "/d/b.xls", "/e/c.xlsm"};

    frm->DropFiles(frm->eSource, books);  // an edit takes the first item only
    EXPECT_EQ(frm->eSource->text(), "/d/a.xlsx");
    EXPECT_EQ(frm->eTarget->text(), "/d/");
    EXPECT_EQ(frm->Model()->rowCount(), 0);

    frm->DropFiles(frm->lViewer, books);
    ASSERT_EQ(frm->Model()->rowCount(), 3);
    frm->DropFiles(frm->lViewer, {"/f/only.xlsx"});  // replaces the rows
    ASSERT_EQ(frm->Model()->rowCount(), 1);
    EXPECT_EQ(frm->Model()->Row(0).fileName, "/f/only.xlsx");

    frm->DropFiles(frm->bSearch, books);  // a button takes nothing
    EXPECT_EQ(frm->Model()->rowCount(), 1);

    // One project file opens the project; two are just two rows.
    dir.Write("p.batch-quindle", "Source=/proj/*.xls?\r\nTarget=/proj/out/\r\n");
    const std::string proj = dir / "p.batch-quindle";
    frm->DropFiles(frm->lViewer, {proj});
    EXPECT_EQ(frm->windowTitle(), Title(proj));
    EXPECT_EQ(frm->eSource->text(), "/proj/*.xls?");
    frm->DropFiles(frm->lViewer, {proj, proj});
    EXPECT_EQ(frm->Model()->rowCount(), 2);
}

TEST_F(UiTest, RealDropEventsIgnoreNonFilesAndKeepOddNames) {
    MakeWindow();
    frm->aNew->trigger();
    frm->resize(1200, 600);
    frm->show();
    auto drop = [&](QWidget* target, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        // Through the native window, as a file manager's drop arrives.
        QPoint pos = target->mapTo(frm, target->rect().center());
        QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frm->windowHandle(), &enter);
        QDropEvent ev(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frm->windowHandle(), &ev);
    };
    drop(frm->lViewer, {QUrl("https://example.com/a.xlsx")});
    EXPECT_EQ(frm->Model()->rowCount(), 0);

    const QString odd = QString::fromUtf8("/tmp/line\nbreak \xC3\xA9.xlsx");
    drop(frm->lViewer, {QUrl("https://example.com/a.xlsx"), QUrl::fromLocalFile(odd)});
    ASSERT_EQ(frm->Model()->rowCount(), 1);
    EXPECT_EQ(frm->Model()->Row(0).fileName, odd);

    drop(frm->eTarget, {QUrl::fromLocalFile("/x/y/")});
    EXPECT_EQ(frm->eTarget->text(), "/x/y/");
    drop(frm->bCreate, {QUrl::fromLocalFile("/z.xlsx")});
    EXPECT_EQ(frm->eSource->text(), "");
}

TEST_F(UiTest, RecentMenuListsProjectsAndDisablesMissingOnes) {
    const std::string a = dir.Write("a&b.batch-quindle", "Source=/from/a/*.xls?\r\n");
    const std::string gone = dir / "gone.batch-quindle";
    // Open both so they enter the recent list, then delete one.
    dir.Write("gone.batch-quindle", "Source=/gone\r\n");
    project::kvProject->FileName = gone;
    project::kvProject->OpenProject(false);
    project::kvProject->FileName = a;
    project::kvProject->OpenProject(false);
    std::remove(gone.c_str());
    MakeWindow();

    frm->pm2Popup();
    QList<QAction*> items = frm->pm2->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QString::fromStdString(a).replace("&", "&&"));
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[1]->isEnabled());
    frm->aNew->trigger();
    items[0]->trigger();
    EXPECT_EQ(frm->windowTitle(), Title(a));
    EXPECT_EQ(frm->eSource->text(), "/from/a/*.xls?");
    frm->pm2Popup();  // rebuilt, not appended
    EXPECT_EQ(frm->pm2->actions().size(), 2);
}

TEST_F(UiTest, ExportListAndTheListMenu) {
    MakeWindow();
    const std::string empty = dir / "empty.log";
    frm->ExportList(empty);
    EXPECT_EQ(ReadFileText(empty), "");

    frm->DropFiles(frm->lViewer, {"/s/a.xlsx", "/s/bad.xls", "/s/c.xlsx"});
    auto feed = frm->Model()->Feed();
    const uint64_t gen = frm->Model()->Generation();
    feed->Result(gen, 0, batch::TNodeState::Success, "/s/a.xlsx", "/t/a.htm");
    feed->Result(gen, 1, batch::TNodeState::Failure, "/s/bad.xls", "Unreadable file");
    const std::string log = dir / "list.log";
    choosers.saves.push_back(log);
    frm->pm1Popup();
    EXPECT_FALSE(frm->OpenSource1->isEnabled());
    EXPECT_FALSE(frm->ViewSource1->isEnabled());
    EXPECT_TRUE(frm->ExportList1->isEnabled());
    frm->ExportList1->trigger();
    EXPECT_EQ(choosers.calls.back(), "save:Log File|*.log");
    EXPECT_EQ(ReadFileText(log),
              "[Success] => /s/a.xlsx => /t/a.htm\r\n"
              "[Failure] => /s/bad.xls => Unreadable file\r\n"
              "[Running] => /s/c.xlsx => \r\n");

    frm->lViewer->selectionModel()->select(frm->Model()->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    frm->pm1Popup();
    EXPECT_TRUE(frm->OpenSource1->isEnabled());
    opened.clear();
    frm->ViewSource1->trigger();
    frm->OpenSource1->trigger();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "/s/");
    EXPECT_EQ(opened[1], "/s/bad.xls");

    // View opens the target folder, or focuses the empty box.
    frm->eTarget->setText("/t/");
    frm->aView->trigger();
    EXPECT_EQ(opened.back(), "/t/");
}

namespace {

// Four rows: b converted, a failed, c converted, d still waiting.
void FillFourRows(TkvFrmMain* frm) {
    frm->DropFiles(frm->lViewer, {"/s/b.xlsx", "/s/a.xlsx", "/s/c.xlsx", "/s/d.xlsx"});
    auto feed = frm->Model()->Feed();
    const uint64_t gen = frm->Model()->Generation();
    feed->Result(gen, 0, batch::TNodeState::Success, "/s/b.xlsx", "/t/b.htm");
    feed->Result(gen, 1, batch::TNodeState::Failure, "/s/a.xlsx", "Broken workbook");
    feed->Result(gen, 2, batch::TNodeState::Success, "/s/c.xlsx", "/t/c.htm");
    frm->Model()->Flush();
}

QStringList ViewNames(TkvFrmMain* frm) {
    QStringList names;
    for (int i = 0; i < frm->View()->rowCount(); ++i)
        names << frm->View()->index(i, 1).data().toString().section('/', -1);
    return names;
}

}  // namespace

TEST_F(UiTest, ListSortsByAnyColumnAndGoesBackToTheBatchOrder) {
    MakeWindow();
    FillFourRows(frm);
    EXPECT_EQ(ViewNames(frm), QStringList({"b.xlsx", "a.xlsx", "c.xlsx", "d.xlsx"}));
    frm->lViewer->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(ViewNames(frm), QStringList({"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"}));
    frm->lViewer->sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(ViewNames(frm), QStringList({"d.xlsx", "c.xlsx", "b.xlsx", "a.xlsx"}));
    // By status: waiting, converted (in batch order), failed.
    frm->lViewer->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(ViewNames(frm), QStringList({"d.xlsx", "b.xlsx", "c.xlsx", "a.xlsx"}));
    // By result text: the empty one first, letter case aside.
    frm->lViewer->sortByColumn(2, Qt::AscendingOrder);
    EXPECT_EQ(ViewNames(frm), QStringList({"d.xlsx", "b.xlsx", "c.xlsx", "a.xlsx"}));
    frm->lViewer->header()->setSortIndicator(-1, Qt::AscendingOrder);
    EXPECT_EQ(ViewNames(frm), QStringList({"b.xlsx", "a.xlsx", "c.xlsx", "d.xlsx"}));

    // A row that gets its result while sorted moves to its place.
    frm->lViewer->sortByColumn(0, Qt::AscendingOrder);
    frm->Model()->Feed()->Result(frm->Model()->Generation(), 3, batch::TNodeState::Failure, "/s/d.xlsx", "x");
    frm->Model()->Flush();
    EXPECT_EQ(ViewNames(frm), QStringList({"b.xlsx", "c.xlsx", "a.xlsx", "d.xlsx"}));
}

TEST_F(UiTest, FilterShowsOneKindOfRowWithItsCount) {
    MakeWindow();
    FillFourRows(frm);
    EXPECT_EQ(frm->fAll->text(), "All 4");
    EXPECT_EQ(frm->fFailed->text(), "Failed 1");
    EXPECT_EQ(frm->fConverted->text(), "Converted 2");
    EXPECT_EQ(frm->fWaiting->text(), "Waiting 1");
    EXPECT_TRUE(frm->fAll->isChecked());

    frm->fFailed->click();
    EXPECT_EQ(ViewNames(frm), QStringList({"a.xlsx"}));
    frm->fConverted->click();
    EXPECT_EQ(ViewNames(frm), QStringList({"b.xlsx", "c.xlsx"}));
    frm->fWaiting->click();
    EXPECT_EQ(ViewNames(frm), QStringList({"d.xlsx"}));
    // A waiting row that fails leaves the Waiting view and joins Failed.
    frm->Model()->Feed()->Result(frm->Model()->Generation(), 3, batch::TNodeState::Failure, "/s/d.xlsx", "x");
    frm->Model()->Flush();
    EXPECT_EQ(frm->View()->rowCount(), 0);
    frm->fFailed->click();
    EXPECT_EQ(ViewNames(frm), QStringList({"a.xlsx", "d.xlsx"}));
    EXPECT_EQ(frm->fFailed->text(), "Failed 2");
    // A new list keeps the filter; export always writes the whole list.
    const std::string log = dir / "all.log";
    frm->ExportList(log);
    EXPECT_EQ(ReadFileText(log).find("[Success] => /s/b.xlsx"), 0u);
    frm->fAll->click();
    EXPECT_EQ(frm->View()->rowCount(), 4);
}

TEST_F(UiTest, RowsOpenTheirPageOrShowAFailedSourceAndCopyAsExported) {
    MakeWindow();
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    FillFourRows(frm);
    frm->lViewer->sortByColumn(1, Qt::AscendingOrder);  // a, b, c, d
    QTreeView* list = frm->lViewer;
    list->setFocus();

    // Enter on a converted row opens its page.
    list->setCurrentIndex(frm->View()->index(1, 1));
    opened.clear();
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "/t/b.htm");
    // A double click on a failed row shows its source in the file manager.
    QTest::qWait(20);  // the view lays its rows out after the sort
    const QRect failed = list->visualRect(frm->View()->index(0, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, failed.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, failed.center());
    ASSERT_EQ(revealed.size(), 1u);
    EXPECT_EQ(revealed[0], "/s/a.xlsx");
    // A waiting row has nothing to open.
    list->setCurrentIndex(frm->View()->index(3, 1));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(opened.size(), 1u);

    // Open Result takes the first selected row in the view's order.
    list->selectionModel()->clearSelection();
    for (int r : {2, 0})
        list->selectionModel()->select(frm->View()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    frm->aOpenResult->trigger();
    EXPECT_EQ(revealed.size(), 2u);

    // Ctrl+C in the list: the selected rows, in the view's order, as the
    // exported list writes them.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "[Failure] => /s/a.xlsx => Broken workbook\n[Success] => /s/c.xlsx => /t/c.htm\n");
    // In a path box Ctrl+C is the box's own copy.
    frm->eSource->setText("/typed");
    frm->eSource->selectAll();
    frm->eSource->setFocus();
    QTest::keyClick(frm->eSource, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "/typed");
}

TEST_F(UiTest, AltKeysRunActionsAndNeverTypeIntoTheBoxes) {
    MakeWindow();
    frm->show();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    frm->eSource->setText("/in/");
    frm->eSource->setFocus();

    QTest::keyClick(frm->eSource, Qt::Key_U, Qt::AltModifier);  // Check Update
    ASSERT_FALSE(opened.empty());
    EXPECT_NE(opened.back().find("download"), std::string::npos);
    QTest::keyClick(frm->eSource, Qt::Key_H, Qt::AltModifier);  // Help
    EXPECT_EQ(info::kvInfo->Stat("H"), "1");
    QTest::keyClick(frm->eSource, Qt::Key_A, Qt::AltModifier);  // Save As, cancelled
    EXPECT_EQ(choosers.calls.back(), "save:Quindle Project|*.batch-quindle");
    QTest::keyClick(frm->eSource, Qt::Key_Z, Qt::AltModifier);  // nothing has it
    frm->aConvert->setEnabled(false);
    QTest::keyClick(frm->eSource, Qt::Key_C, Qt::AltModifier);  // a disabled Convert
    EXPECT_EQ(frm->eSource->text(), "/in/");
    EXPECT_EQ(frm->eTarget->text(), "");
    frm->aConvert->setEnabled(true);

    // The captions' letters lead to their boxes.
    QTest::keyClick(frm->eSource, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(frm->eTarget->hasFocus());
    QTest::keyClick(frm->eTarget, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(frm->eSource->hasFocus());
    QTest::keyClick(frm->eSource, Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frm->cSubdir->isChecked(); }, 2000));  // an animated click

    // Every action without a key of its own sits on a control Tab reaches
    // (Open Result is Enter in the list, above).
    for (QAction* a : frm->actions()) {
        if (!a->isVisible() || !a->shortcuts().isEmpty() || a == frm->aOpenResult) continue;
        bool reachable = false;
        for (QObject* o : a->associatedObjects()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w != frm && !qobject_cast<QMenu*>(w) && (w->focusPolicy() & Qt::TabFocus)) reachable = true;
        }
        for (QAbstractButton* b : frm->findChildren<QAbstractButton*>())
            if (b->text() == a->text() && (b->focusPolicy() & Qt::TabFocus)) reachable = true;
        EXPECT_TRUE(reachable) << a->objectName().toStdString();
    }
}

TEST(ExportLine, ALineBreakOrControlInANameOrResultStaysOnOneLineAsInTheLog) {
    TkvRow row;
    row.state = batch::TNodeState::Failure;
    row.fileName = QString::fromUtf8("/s/two\nlines\t.xlsx");
    row.result = QString::fromUtf8("Bad\rthing \\ here");
    EXPECT_EQ(ExportLine(row), "[Failure] => /s/two\\nlines\\t.xlsx => Bad\\rthing \\\\ here");
}
