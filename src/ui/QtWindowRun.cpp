#include "ui/QtWindowRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include "convert/Workers.h"
#include "platform/Choosers.h"
#include "project/TkvProject.h"
#include "ui/FrmAbout.h"
#include "ui/FrmMain.h"
#include "ui/Icons.h"

namespace ui {

namespace {

// Errors that escape an event handler go to the application-wide handler
// and the loop goes on.
class TkvApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception& ex) {
            ReportAppError(ex.what());
        } catch (...) {
            ReportAppError("Unknown error");
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<QApplication> CreateQuindleApplication(int& argc, char** argv) {
    auto app = std::make_unique<TkvApplication>(argc, argv);
    if (project::kvProject && !project::kvProject->Title.empty())
        QApplication::setApplicationName(QString::fromStdString(project::kvProject->Title));
    // The desktop entry the installed program comes with: the desktop shows
    // its name and icon for the window (Wayland's app id, X11's hints).
    QGuiApplication::setDesktopFileName(QStringLiteral("quindle"));
    QApplication::setWindowIcon(AppIcon());
    return app;
}

TkvQtWindowRun::TkvQtWindowRun(int& argc, char** argv) : argc_(argc), argv_(argv) {}

TkvQtWindowRun::~TkvQtWindowRun() { DestroyWindows(); }

int TkvQtWindowRun::Run() {
    if (!app_) app_ = CreateQuindleApplication(argc_, argv_);
    platform::SetChoosers(&choosers_);
    convert::SetMainThreadDispatcher(&dispatcher_);

    main_ = new TkvFrmMain();
    about_ = new TkvFrmQuindleAbout(main_);
    about_->ShowAbout();
    main_->show();
    int rc = app_->exec();

    // Workers of a run that outlived the loop still finish through the
    // dispatcher: keep serving it until they are gone.
    QElapsedTimer t;
    t.start();
    while (convert::LiveWorkerCount.load() > 0 && t.elapsed() < 30000) {
        TkvQtDispatcher::Drain();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return rc;
}

void TkvQtWindowRun::DestroyWindows() {
    delete about_;
    about_ = nullptr;
    delete main_;
    main_ = nullptr;
    platform::SetChoosers(nullptr);
    convert::SetMainThreadDispatcher(nullptr);
    app_.reset();
}

}  // namespace ui
