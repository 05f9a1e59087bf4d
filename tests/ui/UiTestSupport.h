#pragma once
// Shared set-up of the window tests: a QApplication on the offscreen
// platform, the process-wide objects in a temporary folder, a scripted
// chooser, a shell recorder, and a stand-in worker chain.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/Startup.h"
#include "convert/Workers.h"
#include "info/TkvInfo.h"
#include "platform/Choosers.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"
#include "ui/FileManager.h"
#include "ui/FrmMain.h"
#include "ui/QtDispatcher.h"
#include "ui/ResultModel.h"

// Answers the next modal message box (with its default button) once it is
// up, and keeps its texts; a box that never comes is not waited for.
struct MessageBoxCatcher {
    QString title, text, informative;
    int seen = 0;
    QTimer timer;
    MessageBoxCatcher() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            informative = box->informativeText();
            ++seen;
            box->accept();
        });
        timer.start();
    }
};

inline QApplication* TestApp() {
    if (!qApp) {
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(qApp);
}

// Answers the dialogs from a script; an empty script answers "cancelled".
class FakeChoosers : public platform::IChoosers {
public:
    std::deque<std::string> folders, files, saves;
    std::vector<std::string> calls;  // "folder:<start>", "files:<path>", "save:<filter>"

    void BrowseFolder(std::string& path) override {
        calls.push_back("folder:" + path);
        if (folders.empty()) return;
        path = folders.front();
        folders.pop_front();
    }
    bool ChooseFiles(const std::string& filter, std::string& path, bool multi) override {
        calls.push_back("files:" + path);
        if (files.empty()) return false;
        path = files.front();
        files.pop_front();
        return true;
    }
    bool ChooseSaveFile(const std::string& filter, const std::string&, std::string& path) override {
        calls.push_back("save:" + filter);
        if (saves.empty()) return false;
        path = saves.front();
        saves.pop_front();
        return true;
    }
};

// What the stand-in workers did, for the checks.
struct FakeWorkLog {
    std::mutex mutex;  // guards converted
    std::map<std::string, int> converted;  // source -> times converted
    std::atomic<int> live{0};
    std::atomic<int> chains{0};
    std::atomic<int> delayMs{0};
    // While closed, workers wait after taking an entry (bounded).
    std::mutex gateMutex;  // guards gateOpen
    std::condition_variable gateCv;
    bool gateOpen = true;
    std::atomic<int> holding{0};  // workers waiting at the gate

    void SetGate(bool open) {
        {
            std::lock_guard<std::mutex> lock(gateMutex);
            gateOpen = open;
        }
        gateCv.notify_all();
    }
    int Times(const std::string& f) {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = converted.find(f);
        return it == converted.end() ? 0 : it->second;
    }
    size_t Distinct() {
        std::lock_guard<std::mutex> lock(mutex);
        return converted.size();
    }
};

// Stand-in workers: take entries from the batch like the real ones, "convert"
// each (names containing "bad" fail), report, and finish on the main thread.
class FakeChain : public convert::TkvWorkerChain, public std::enable_shared_from_this<FakeChain> {
public:
    FakeChain(batch::TkvBatch& batch, std::string target, batch::TkvNodeEvent done, int n, FakeWorkLog* log,
              convert::IMainThreadDispatcher* dispatcher)
        : batch_(batch),
          target_(std::move(target)),
          done_(std::move(done)),
          n_(n),
          log_(log),
          dispatcher_(dispatcher) {}
    int32_t ChainLength() const override { return n_; }
    void SetOnFinish(batch::TkvEvent f) override { onFinish_ = std::move(f); }
    void ResumeAll() override {
        for (int i = 0; i < n_; ++i) {
            ++log_->live;
            std::thread([self = shared_from_this()] { self->Work(); }).detach();
        }
    }
    void TerminateAll() override { stop_ = true; }

private:
    void Work() {
        while (!stop_) {
            batch::TkvNode* node = batch_.NextNode();
            if (!node) break;
            {
                std::lock_guard<std::mutex> lock(log_->mutex);
                ++log_->converted[node->FileName];
            }
            {
                std::unique_lock<std::mutex> lock(log_->gateMutex);
                ++log_->holding;
                log_->gateCv.wait_for(lock, std::chrono::seconds(10), [&] { return log_->gateOpen; });
                --log_->holding;
            }
            if (int d = log_->delayMs.load()) std::this_thread::sleep_for(std::chrono::milliseconds(d));
            if (node->FileName.find("bad") != std::string::npos) {
                node->ResultText = "Bad workbook?";
                node->State = batch::TNodeState::Failure;
                batch_.ReportFailure(node->ResultText);
            } else {
                node->ResultText = target_ + platform::NamePart(node->FileName) + ".htm";
                node->State = batch::TNodeState::Success;
                batch_.ReportSuccess();
            }
            done_(batch_, *node);
        }
        if (onFinish_) dispatcher_->RunOnMainThreadAndWait(onFinish_);
        --log_->live;
    }

    batch::TkvBatch& batch_;
    std::string target_;
    batch::TkvNodeEvent done_;
    int n_;
    FakeWorkLog* log_;
    convert::IMainThreadDispatcher* dispatcher_;
    batch::TkvEvent onFinish_;
    std::atomic<bool> stop_{false};
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        // The windows keep their look here, one folder per test.
        oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir / "config"));
        oldRevealer = ui::SetRevealer([this](const std::string& s) { revealed.push_back(s); });
        exe = dir / "quindle";
        platform::kvApp = new platform::TkvApp(exe, {});
        info::kvInfo = new info::TkvInfo(exe, dir / "quindle.ext");
        project::kvProject = new project::TkvProject();
        app::ApplyProductProfile(*project::kvProject);
        info::kvInfo->SetProduct(project::kvProject->Title, project::kvProject->ShortName,
                                 project::kvProject->ProductVersion);
        platform::SetChoosers(&choosers);
        oldOpener = platform::SetShellOpener([this](const std::string& s) { opened.push_back(s); });
        convert::SetMainThreadDispatcher(&dispatcher);
    }

    ui::TkvFrmMain* MakeWindow(int workers = 2) {
        frm = new ui::TkvFrmMain();
        frm->SetQuitNow([this] { ++quitNowCalls; });
        frm->SetWorkerFactory([this, workers](batch::TkvBatch& b, const std::string& t, batch::TkvNodeEvent e) {
            ++work.chains;
            return std::make_shared<FakeChain>(b, t, std::move(e), workers, &work, &dispatcher);
        });
        return frm;
    }

    bool WaitIdle(int ms = 10000) {
        return QTest::qWaitFor([&] { return !frm->IsRunning(); }, ms);
    }
    bool WaitRows(int n, int ms = 10000) {
        return QTest::qWaitFor([&] { return frm->Model()->rowCount() == n; }, ms);
    }

    void TearDown() override {
        work.SetGate(true);
        if (frm) {
            if (frm->IsRunning()) frm->Stop();
            WaitIdle();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return work.live.load() == 0; }, 10000));
        // The project goes first, as at exit: its teardown still talks to the
        // bound controls.
        delete project::kvProject;
        project::kvProject = nullptr;
        delete frm;
        frm = nullptr;
        convert::SetMainThreadDispatcher(nullptr);
        platform::SetShellOpener(oldOpener);
        ui::SetRevealer(oldRevealer);
        if (oldConfigHome.isNull()) qunsetenv("XDG_CONFIG_HOME");
        else qputenv("XDG_CONFIG_HOME", oldConfigHome);
        platform::SetChoosers(nullptr);
        delete info::kvInfo;
        info::kvInfo = nullptr;
        delete platform::kvApp;
        platform::kvApp = nullptr;
    }

    TempDir dir;
    std::string exe;
    FakeChoosers choosers;
    FakeWorkLog work;
    ui::TkvQtDispatcher dispatcher;
    platform::ShellOpener oldOpener;
    std::vector<std::string> opened;
    std::vector<std::string> revealed;  // shown in the file manager
    ui::TkvRevealer oldRevealer;
    QByteArray oldConfigHome;
    int quitNowCalls = 0;
    ui::TkvFrmMain* frm = nullptr;
};
