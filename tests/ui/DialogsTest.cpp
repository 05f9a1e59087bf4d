#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCfg.h"
#include "ui/QtChoosers.h"
#include "ui/QtPropertyHost.h"

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
    EXPECT_EQ(QtNameFilters("Excel Workbook (*.xls;*.xlsx)|*.xls;*.xlsx"),
              QStringList{"Excel Workbook (*.xls;*.xlsx) (*.xls *.xlsx)"});
    EXPECT_EQ(QtNameFilters("Quindle Project|*.batch-quindle|Log File|*.log"),
              (QStringList{"Quindle Project (*.batch-quindle)", "Log File (*.log)"}));
    EXPECT_EQ(QtNameFilters(""), QStringList{"All files (*)"});
}
