#pragma once
#include <memory>

#include "app/WindowRun.h"
#include "ui/QtChoosers.h"
#include "ui/QtDispatcher.h"

class QApplication;

namespace ui {

class TkvFrmMain;
class TkvFrmQuindleAbout;

// The window run: the Qt application, the main and about windows, and the
// event loop until the main window closes.
class TkvQtWindowRun : public app::IWindowRun {
public:
    TkvQtWindowRun(int& argc, char** argv);
    ~TkvQtWindowRun() override;

    int Run() override;
    void DestroyWindows() override;

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> app_;
    TkvQtChoosers choosers_;
    TkvQtDispatcher dispatcher_;
    TkvFrmMain* main_ = nullptr;
    TkvFrmQuindleAbout* about_ = nullptr;
};

// Creates the application object with the program's error routing; Run does
// it, tests and tools call it themselves.
std::unique_ptr<QApplication> CreateQuindleApplication(int& argc, char** argv);

}  // namespace ui
