#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
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

TEST_F(UiTest, SaveFailureReachesTheHandlerAndKeepsTheWindow) {
    MakeWindow();
    frm->eSource->setText("/keep/*.xls?");
    // A plain file where the project's folder should be: nothing can be written.
    dir.Write("blocker", "x");
    project::kvProject->FileName = dir / "blocker/x.batch-quindle";
    const std::string before = info::kvInfo->Stat("E");
    frm->aSave->trigger();
    EXPECT_NE(info::kvInfo->Stat("E"), before);
    EXPECT_EQ(frm->eSource->text(), "/keep/*.xls?");
    EXPECT_EQ(frm->windowTitle(), Title(project::kvProject->FileName));
    // The window still works afterwards.
    frm->aNew->trigger();
    EXPECT_EQ(frm->windowTitle(), Title("None"));
}

TEST_F(UiTest, ActionsCarryCaptionsHintsAndShortcuts) {
    MakeWindow();
    EXPECT_EQ(frm->aConvert->text(), "&Convert");
    EXPECT_EQ(frm->aStop->text(), "Sto&p");
    EXPECT_EQ(frm->aSearch->toolTip(), "Search files from the source folder");
    EXPECT_EQ(frm->aOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frm->aNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(frm->aSave->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(frm->aSaveAs->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_EQ(frm->aHelp->shortcut(), QKeySequence(Qt::Key_F1));
    for (QAction* a : {frm->aOpen, frm->aNew, frm->aSave, frm->aSaveAs, frm->aHelp, frm->aAbout})
        EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();

    // Idle: Convert on its button, the Start button hidden with its action.
    EXPECT_EQ(frm->bCreate->text(), "&Convert");
    EXPECT_TRUE(frm->bSearchConvert->isHidden());
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
