// quindle-screenshot [OUTPUT.png] [WORKBOOK...]
//
// Converts a handful of workbooks in the main window, exactly as a user would
// with Convert, and saves a picture of the window once the run has ended.
// Without workbooks it takes the project's example workbooks and adds one
// damaged file so that a failure shows too. Runs without a display.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QThread>
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
#include "ui/FrmMain.h"
#include "ui/QtDispatcher.h"
#include "ui/QtWindowRun.h"

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

    QElapsedTimer t;
    t.start();
    while ((frm->IsRunning() || t.elapsed() < 300) && t.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    int rc = 0;
    if (frm->IsRunning()) {
        std::fprintf(stderr, "quindle-screenshot: the run did not end in time\n");
        rc = 1;
    } else {
        QCoreApplication::processEvents();
        fs::create_directories(fs::path(output).parent_path(), ec);
        if (!frm->grab().save(QString::fromStdString(output))) {
            std::fprintf(stderr, "quindle-screenshot: cannot write %s\n", output.c_str());
            rc = 1;
        } else {
            std::printf("%s\n", output.c_str());
        }
        // The about window beside it, as the About action shows it.
        ui::TkvFrmQuindleAbout about(frm);
        about.show();
        QCoreApplication::processEvents();
        const std::string aboutPng = (fs::path(output).parent_path() / "about-window.png").string();
        if (about.grab().save(QString::fromStdString(aboutPng))) std::printf("%s\n", aboutPng.c_str());
        about.close();
    }

    delete project::kvProject;
    project::kvProject = nullptr;
    delete frm;
    convert::SetMainThreadDispatcher(nullptr);
    app.reset();
    delete info::kvInfo;
    delete platform::kvApp;
    return rc;
}
