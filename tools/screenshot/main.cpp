// quindle-screenshot [OUTPUT.png] [WORKBOOK...]
//
// Converts a handful of workbooks in the main window, exactly as a user would
// with Convert, and saves a picture of the window once the run has ended.
// Without workbooks it takes the project's example workbooks and adds one
// damaged file so that a failure shows too. Beside OUTPUT it saves a run in
// progress (run-in-progress.png, many copies of the same workbooks on one
// thread), the options editor with its warnings (options-editor.png) and the
// about window (about-window.png). Runs without a display.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QThread>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "convert/Workers.h"
#include "info/TkvInfo.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCfg.h"
#include "ui/FrmMain.h"
#include "ui/QtDispatcher.h"
#include "ui/QtWindowRun.h"
#include "ui/ResultModel.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> DefaultBooks() {
    const fs::path examples = fs::path(QUINDLE_SOURCE_DIR) / "examples";
    std::vector<std::string> books;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(examples, ec)) {
        const std::string ext = e.path().extension().string();
        if (ext == ".xls" || ext == ".xlsx" || ext == ".xlsm") books.push_back(e.path().string());
    }
    std::sort(books.begin(), books.end());
    return books;
}

// Serves the window until `done` holds or the time is up.
template <typename Done>
bool PumpUntil(Done done, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return done();
}

bool Save(QWidget* w, const std::string& path, bool pump = true) {
    if (pump) QCoreApplication::processEvents();
    if (!w->grab().save(QString::fromStdString(path))) {
        std::fprintf(stderr, "quindle-screenshot: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// A run of many copies of the books on one thread, pictured about a third of
// the way through: long enough that the status line has an estimate.
constexpr int kCopies = 1500;
bool SaveRunInProgress(ui::TkvFrmMain* frm, const fs::path& demo, const std::vector<std::string>& books,
                       const std::string& out) {
    std::error_code ec;
    const fs::path many = demo / "many";
    fs::create_directories(many, ec);
    for (int i = 0; i < kCopies; ++i)
        for (const std::string& b : books) {
            const fs::path p(b);
            char number[16];
            std::snprintf(number, sizeof number, "-%04d", i);
            fs::copy_file(b, many / (p.stem().string() + number + p.extension().string()), ec);
        }
    project::kvProject->SetOption("ThreadsCount", "1");
    frm->eSource->setText(QString::fromStdString((many / "*.xls?").string()));
    frm->eTarget->setText(QString::fromStdString((demo / "many-html").string() + "/"));
    frm->Convert();
    // Late enough for the status line to have an estimate of the rest.
    QElapsedTimer t;
    t.start();
    PumpUntil([&] { return t.elapsed() >= 1500 || !frm->IsRunning(); }, 120000);
    frm->Model()->Flush();
    QCoreApplication::processEvents();
    bool ok = frm->IsRunning();
    if (ok) {
        // The row being converted in the middle of the picture, taken before
        // the list moves on.
        const QModelIndex at = frm->View()->mapFromSource(frm->Model()->index(frm->Model()->DoneRows(), 1));
        frm->lViewer->scrollTo(at, QAbstractItemView::PositionAtCenter);
        ok = Save(frm, out, false);
    }
    PumpUntil([&] { return !frm->IsRunning(); }, 120000);
    if (!ok) std::fprintf(stderr, "quindle-screenshot: the run ended before its picture\n");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string output = argc > 1 ? argv[1] : std::string(QUINDLE_SOURCE_DIR) + "/docs/main-window.png";
    std::vector<std::string> books;
    for (int i = 2; i < argc; ++i) books.push_back(argv[i]);
    if (books.empty()) books = DefaultBooks();

    // A clean demo folder, so the picture shows short, readable paths.
    const fs::path demo = fs::temp_directory_path() / "quindle-demo";
    std::error_code ec;
    fs::remove_all(demo, ec);
    fs::create_directories(demo / "books", ec);
    for (const std::string& b : books) fs::copy_file(b, demo / "books" / fs::path(b).filename(), ec);
    {
        std::FILE* f = std::fopen((demo / "books/damaged.xlsx").c_str(), "wb");
        if (f) {
            std::fputs("this is not a workbook", f);
            std::fclose(f);
        }
    }

    platform::SetShellOpener([](const std::string&) {});  // no browser for error reports
    const std::string exe = (demo / "quindle").string();
    platform::kvApp = new platform::TkvApp(exe, {});
    info::kvInfo = new info::TkvInfo(exe, (demo / "quindle.ext").string());
    project::kvProject = new project::TkvProject();
    app::ApplyProductProfile(*project::kvProject);
    info::kvInfo->SetProduct(project::kvProject->Title, project::kvProject->ShortName,
                             project::kvProject->ProductVersion);

    int qargc = 1;
    char* qargv[] = {argv[0], nullptr};
    auto app = ui::CreateQuindleApplication(qargc, qargv);
    ui::TkvQtDispatcher dispatcher;
    convert::SetMainThreadDispatcher(&dispatcher);

    auto* frm = new ui::TkvFrmMain();
    project::kvProject->SetOption("ThreadsCount", "2");
    frm->eSource->setText(QString::fromStdString((demo / "books").string() + "/*.xls?"));
    frm->eTarget->setText(QString::fromStdString((demo / "html").string() + "/"));
    frm->resize(1200, 600);
    frm->show();
    frm->Convert();

    int rc = 0;
    if (!PumpUntil([&] { return !frm->IsRunning(); }, 120000)) {
        std::fprintf(stderr, "quindle-screenshot: the run did not end in time\n");
        return 1;
    }
    QThread::msleep(300);
    const fs::path folder = fs::path(output).parent_path();
    fs::create_directories(folder, ec);
    if (!Save(frm, output)) rc = 1;

    // The options editor, with a slip of the kind it warns about.
    {
        ui::TkvFrmCfg* cfg = frm->Cfg();
        project::kvProject->StoreOptions(false);
        QString text = QString::fromStdString(project::kvProject->OptionsText()).replace("\r\n", "\n");
        text += QStringLiteral("Threads=4\nLogFile=%1/run.log\nKeepFileTime=yes\n")
                    .arg(QString::fromStdString(demo.string()));
        cfg->txtCfg->setPlainText(text);
        cfg->CheckText();
        cfg->resize(560, 380);
        cfg->show();
        if (!Save(cfg, (folder / "options-editor.png").string())) rc = 1;
        cfg->close();
    }
    // The about window beside it, as the About action shows it.
    {
        ui::TkvFrmQuindleAbout about(frm);
        about.show();
        if (!Save(&about, (folder / "about-window.png").string())) rc = 1;
        about.close();
    }
    std::vector<std::string> copies;
    for (const std::string& b : books) copies.push_back((demo / "books" / fs::path(b).filename()).string());
    if (!SaveRunInProgress(frm, demo, copies, (folder / "run-in-progress.png").string())) rc = 1;

    delete project::kvProject;
    project::kvProject = nullptr;
    delete frm;
    convert::SetMainThreadDispatcher(nullptr);
    app.reset();
    delete info::kvInfo;
    delete platform::kvApp;
    return rc;
}
