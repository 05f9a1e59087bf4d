#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "UiTestSupport.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCfg.h"
#include "ui/Icons.h"
#include "ui/QtChoosers.h"
#include "ui/QtPropertyHost.h"
#include "ui/WindowSettings.h"

using namespace ui;

namespace {

// Runs `step` once the modal window is up; a guard closes it whatever happens
// so that a failing test never hangs.
void WhileModal(QWidget* modal, std::function<void()> step, const std::function<void()>& open) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, modal, [modal] { modal->close(); });
    guard.start(5000);
    QTimer poke;
    poke.setSingleShot(true);
    QObject::connect(&poke, &QTimer::timeout, modal, [modal, step] {
        if (modal->isVisible()) step();
    });
    poke.start(20);
    open();
}

}  // namespace

TEST_F(UiTest, OptionsEditorShowsControlsAndAppliesOnlyOnOk) {
    MakeWindow();
    frm->aNew->trigger();
    frm->eSource->setText("/typed/*.xls?");
    frm->cSubdir->setChecked(true);
    TkvFrmCfg* cfg = frm->Cfg();

    QString shown;
    WhileModal(
        cfg,
        [&] {
            shown = cfg->txtCfg->toPlainText();
            cfg->txtCfg->setPlainText("Source=/edited/*.xls?\nThreadsCount=3\nMyOwnKey=kept\n");
            cfg->btnOk->click();
        },
        [&] { frm->aConfig->trigger(); });
    EXPECT_TRUE(shown.contains("Source=/typed/*.xls?"));
    EXPECT_TRUE(shown.contains("Subdir=True"));
    EXPECT_FALSE(cfg->isVisible());
    EXPECT_EQ(frm->eSource->text(), "/edited/*.xls?");
    EXPECT_FALSE(frm->cSubdir->isChecked());  // its line was removed
    EXPECT_EQ(project::kvProject->GetOption("ThreadsCount"), "3");
    EXPECT_EQ(project::kvProject->GetOption("MyOwnKey"), "kept");
    EXPECT_EQ(frm->windowTitle(), "Quindle Converter - None");

    WhileModal(
        cfg,
        [&] {
            cfg->txtCfg->setPlainText("Source=/thrown/away\n");
            cfg->btnCancel->click();
        },
        [&] { cfg->ShowModal(); });
    EXPECT_EQ(frm->eSource->text(), "/edited/*.xls?");
    EXPECT_EQ(project::kvProject->GetOption("Source"), "/edited/*.xls?");

    opened.clear();
    WhileModal(
        cfg,
        [&] {
            cfg->btnHelp->click();
            EXPECT_TRUE(cfg->isVisible());
            cfg->close();
        },
        [&] { cfg->ShowModal(); });
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(UiTest, AboutWindowOpensOnSecondCallAndClosesOnClickOrCharacter) {
    project::kvProject->Title = "Quindle & Co";
    MakeWindow();
    TkvFrmQuindleAbout about(frm);
    about.ShowAbout();  // the start-up call
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(frm->windowOpacity(), 1.0);
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(about.testAttribute(Qt::WA_TranslucentBackground));
    ASSERT_NE(about.img->pixmap().isNull(), true);
    EXPECT_EQ(about.img->pixmap().size(), QSize(128, 128));

    bool stillOpenAfterArrow = false;
    WhileModal(
        &about,
        [&] {
            QTest::keyClick(&about, Qt::Key_Left);
            stillOpenAfterArrow = about.isVisible();
            QTest::mouseClick(&about, Qt::LeftButton, {}, about.lblVersion->geometry().center());
        },
        [&] { about.ShowAbout(); });
    EXPECT_TRUE(stillOpenAfterArrow);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.lblProduct->text(), "Quindle & Co");
    EXPECT_EQ(about.lblVersion->text(), "2025.17.420.1984");

    WhileModal(
        &about, [&] { QTest::keyClick(&about, Qt::Key_Escape); }, [&] { about.ShowAbout(); });
    EXPECT_FALSE(about.isVisible());
}

TEST_F(UiTest, PureConsoleProjectHidesTheMainWindowAtStartUp) {
    project::kvProject->SetOption("PureConsole", "1");
    MakeWindow();
    TkvFrmQuindleAbout about(frm);
    about.ShowAbout();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(frm->windowOpacity(), 0.0);
}

TEST(QtPropertyHost, FindsPropertiesIgnoringCase) {
    TestApp();
    QLineEdit edit;
    edit.setObjectName("eSource");
    TkvQtPropertyHost e(&edit, "Text");
    EXPECT_EQ(e.Name(), "eSource");
    EXPECT_EQ(e.Hint(), "Text");
    EXPECT_EQ(e.Tag(), -1);
    EXPECT_EQ(e.PropertyKind("TEXT"), project::IPropertyHost::Kind::Text);
    EXPECT_EQ(e.PropertyKind("NoSuchProperty"), project::IPropertyHost::Kind::Missing);
    e.Write("text", "/a/\xC3\xA9*.xls?");
    EXPECT_EQ(edit.text(), QString::fromUtf8("/a/\xC3\xA9*.xls?"));
    EXPECT_EQ(e.Read("Text"), "/a/\xC3\xA9*.xls?");
    e.Write("NoSuchProperty", "x");  // ignored

    QCheckBox box;
    TkvQtPropertyHost c(&box, "Checked");
    EXPECT_EQ(c.PropertyKind("checked"), project::IPropertyHost::Kind::Enum);
    EXPECT_EQ(c.EnumNames("Checked"), (std::vector<std::string>{"False", "True"}));
    c.Write("Checked", "true");
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(c.Read("CHECKED"), "True");
    c.Write("Checked", "maybe");  // not a value a check box takes
    EXPECT_TRUE(box.isChecked());
    c.Write("Checked", "");
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(c.Read("Checked"), "False");
}

TEST(QtPropertyHost, OutlivesItsControl) {
    TestApp();
    auto* edit = new QLineEdit;
    TkvQtPropertyHost e(edit, "Text");
    delete edit;
    EXPECT_EQ(e.PropertyKind("Text"), project::IPropertyHost::Kind::Missing);
    EXPECT_EQ(e.Read("Text"), "");
    e.Write("Text", "x");
}

TEST(QtChoosers, FiltersBecomeQtNameFilters) {
    // Every format the program reads, the label shown once.
    EXPECT_EQ(QtNameFilters("Excel Workbook|*.xls;*.xlsx;*.xlsm;*.xlsb"),
              QStringList{"Excel Workbook (*.xls *.xlsx *.xlsm *.xlsb)"});
    EXPECT_EQ(QtNameFilters("Excel Workbook (*.xls;*.xlsx)|*.xls;*.xlsx"),
              QStringList{"Excel Workbook (*.xls *.xlsx)"});
    EXPECT_EQ(QtNameFilters("Book (draft)|*.xls"), QStringList{"Book (draft) (*.xls)"});
    EXPECT_EQ(QtNameFilters("Quindle Project|*.batch-quindle|Log File|*.log"),
              (QStringList{"Quindle Project (*.batch-quindle)", "Log File (*.log)"}));
    EXPECT_EQ(QtNameFilters(""), QStringList{"All files (*)"});
}

TEST_F(UiTest, OptionsEditorIsResizableMonospacedAndWarns) {
    MakeWindow();
    frm->aNew->trigger();
    TkvFrmCfg* cfg = frm->Cfg();
    // Glyph widths, not the font's flag: some monospaced fonts do not set it.
    const QFontMetrics metrics(cfg->txtCfg->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")), metrics.horizontalAdvance(QStringLiteral("MMMM")));
    EXPECT_LT(cfg->minimumWidth(), cfg->maximumWidth());
    EXPECT_LT(cfg->minimumHeight(), cfg->maximumHeight());

    QString warnings;
    bool visibleWhenClean = true;
    QSize resized;
    WhileModal(
        cfg,
        [&] {
            visibleWhenClean = cfg->lWarnings->isVisible();
            cfg->txtCfg->setPlainText("Source=/a/*.xls?\nThreads=4\nThreadsCount=four\nSource=/b/*.xls?\n");
            cfg->CheckText();
            warnings = cfg->lWarnings->isVisible() ? cfg->lWarnings->text() : QString();
            cfg->resize(700, 500);
            resized = cfg->size();
            cfg->btnOk->click();  // warnings never stop the text from applying
        },
        [&] { frm->aConfig->trigger(); });
    EXPECT_FALSE(visibleWhenClean);
    EXPECT_TRUE(warnings.contains("Line 2: unknown option \"Threads\"")) << warnings.toStdString();
    EXPECT_TRUE(warnings.contains("Line 3: ThreadsCount=four")) << warnings.toStdString();
    EXPECT_TRUE(warnings.contains("Line 4: Source is given again; the value on line 1 is the one used"));
    EXPECT_EQ(resized, QSize(700, 500));
    EXPECT_EQ(project::kvProject->GetOption("Threads"), "4");
    EXPECT_EQ(frm->eSource->text(), "/a/*.xls?");

    // Its size is kept for the next time, as the main window's is.
    TkvFrmCfg again;
    EXPECT_EQ(again.size(), QSize(700, 500));
}

TEST_F(UiTest, WindowFollowsItsWidthDownToHalfALaptopScreen) {
    MakeWindow();
    frm->show();
    frm->resize(1400, 700);
    QTest::qWait(20);
    const int wideBox = frm->eSource->width();
    const int wideResult = frm->lViewer->header()->sectionSize(2);
    EXPECT_EQ(frm->ToolBar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);

    frm->resize(760, 480);
    QTest::qWait(20);
    ASSERT_EQ(frm->width(), 760);
    EXPECT_LT(frm->eSource->width(), wideBox);
    EXPECT_EQ(frm->eSource->width(), frm->eTarget->width());
    EXPECT_GE(frm->eSource->width(), 160);
    EXPECT_LT(frm->lViewer->header()->sectionSize(2), wideResult);
    // Nothing is lost: every control shows whole inside the window, the
    // tool bar with its pictures alone.
    EXPECT_EQ(frm->ToolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QList<QWidget*> controls = {frm->eSource, frm->bSource, frm->bSourceFile, frm->cSubdir,    frm->bSearch,
                                frm->bPause,  frm->eTarget, frm->bTarget,     frm->bView,      frm->bCreate,
                                frm->bStop,   frm->fAll,    frm->fFailed,     frm->fConverted, frm->fWaiting,
                                frm->lViewer, frm->lStatus};
    for (QToolButton* t : {frm->tbOpen, frm->tbNew, frm->tbConfig, frm->tbSave, frm->tbSaveAs, frm->tbUpdate,
                           frm->tbHelp, frm->tbHomePage, frm->tbSupports, frm->tbAbout})
        controls << t;
    for (QWidget* w : controls) {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        const QRect r(w->mapTo(frm, QPoint(0, 0)), w->size());
        EXPECT_TRUE(frm->rect().contains(r)) << w->objectName().toStdString();
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
    }
    // Buttons of the two rows line up.
    EXPECT_EQ(frm->bCreate->x(), frm->bSearch->x());
    EXPECT_EQ(frm->bStop->x(), frm->bPause->x());
    EXPECT_EQ(frm->bView->x(), frm->bSourceFile->x());
    // Narrower is refused.
    frm->resize(500, 300);
    QTest::qWait(20);
    EXPECT_EQ(frm->width(), 760);
}

TEST_F(UiTest, SizeAndColumnsAreKeptInTheConfigFolder) {
    MakeWindow();
    frm->show();
    frm->resize(900, 500);
    frm->lViewer->header()->resizeSection(1, 250);
    QTest::qWait(20);
    ASSERT_TRUE(frm->close());
    EXPECT_EQ(WindowSettingsFile().toStdString(), dir / "config/quindle/window.conf");
    EXPECT_TRUE(QFileInfo::exists(WindowSettingsFile()));
    project::kvProject->ReleaseControls();  // the next window binds its own
    delete frm;
    frm = nullptr;

    MakeWindow();
    EXPECT_EQ(frm->size(), QSize(900, 500));
    EXPECT_EQ(frm->lViewer->header()->sectionSize(1), 250);
}

TEST_F(UiTest, WindowCarriesTheProgramsIcon) {
    MakeWindow();
    EXPECT_FALSE(frm->windowIcon().isNull());
    const QList<QSize> sizes = AppIcon().availableSizes();
    for (int n : {16, 32, 48, 256}) EXPECT_TRUE(sizes.contains(QSize(n, n))) << n;
    EXPECT_EQ(QuindleLogo(128).size(), QSize(128, 128));
}
