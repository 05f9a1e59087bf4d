// The run side of the main window: search, convert, pause, stop, the end of a
// run, the unattended modes and closing during a run.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/Startup.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "project/TkvProject.h"
#include "ui/FrmMain.h"
#include "ui/ResultModel.h"

namespace ui {

namespace {

bool NamesExistingFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

void TkvFrmMain::SetIdleButtons() {
    aConvert->setEnabled(true);
    aSearchConvert->setEnabled(true);
    aSearch->setEnabled(true);
    aPause->setEnabled(false);
    aStop->setEnabled(false);
}

void TkvFrmMain::SetRunningButtons() {
    // Convert keeps its place and its meaning; it is only unavailable while
    // the run goes on.
    aConvert->setEnabled(false);
    aSearchConvert->setEnabled(false);
    aSearch->setEnabled(false);
    aPause->setEnabled(true);
    aStop->setEnabled(true);
}

void TkvFrmMain::FocusUnlessUnattended(QWidget* w) {
    // An unattended cycle must not pull the focus (and the user's typing)
    // into a box it then reads.
    if (!unattended_) w->setFocus();
}

bool TkvFrmMain::DoSearch(bool fromConvert) {
    if (eSource->text().isEmpty()) {
        FocusUnlessUnattended(eSource);
        if (unattended_) note_ = QStringLiteral("the source is empty");
        if (!fromConvert) AfterRun();
        return false;
    }
    NewBatch();
    const std::string source = eSource->text().toStdString();
    if (source.rfind("http", 0) == 0) {
        AddSourceFile(source);
        model_->Flush();
        MarkListFresh();
        return true;
    }
    try {
        Batch->Start(source, eTarget->text().toStdString(), cSubdir->isChecked());
    } catch (const std::exception& e) {
        ReportAppError(e.what());
        return false;
    }
    MarkListFresh();
    return true;
}

void TkvFrmMain::Search() {
    if (IsRunning()) return;
    if (DoSearch(false)) SetPhase(TkvRunPhase::Searching);
}

bool TkvFrmMain::ReduceTarget() {
    const char delim = project::kvProject ? project::kvProject->PathDelim : '/';
    std::string t = eTarget->text().toStdString();
    auto stripped = [delim](std::string s) {
        if (!s.empty() && s.back() == delim) s.pop_back();
        return s;
    };
    // A colon is an ordinary character in a file name here, so it does not
    // make a target look like something other than a folder.
    while (t.find_first_of("?*") != std::string::npos || NamesExistingFile(stripped(t))) {
        std::string next = platform::FolderPart(stripped(t));
        if (next.empty() || next == t) return false;
        t = next;
        eTarget->setText(QString::fromStdString(t));
    }
    return true;
}

void TkvFrmMain::Convert() {
    if (IsRunning()) return;
    daemonTimer_.stop();
    note_.clear();
    if (eTarget->text().isEmpty() || !ReduceTarget()) {
        FocusUnlessUnattended(eTarget);
        if (unattended_) note_ = QStringLiteral("no target folder, nothing converted");
        AfterRun();
        return;
    }
    const char delim = project::kvProject ? project::kvProject->PathDelim : '/';
    std::string target = eTarget->text().toStdString();
    const std::string folder = platform::FileAddressToPath(target);
    if (!platform::DirectoryExists(folder)) platform::ForceDirectories(folder);  // failures show per file
    if (target.back() != delim) {
        target += delim;
        eTarget->setText(QString::fromStdString(target));
    }
    if (project::kvProject) project::kvProject->StoreOptions(false);

    // A list made from other boxes than the ones shown now names files the
    // user no longer means: search what the boxes say instead.
    bool ok = true;
    if (!Batch || Batch->IsExhausted() || ListIsStale()) ok = DoSearch(true);
    if (!ok || !Batch) {
        AfterRun();
        return;
    }

    aConvert->setEnabled(false);
    aSearchConvert->setEnabled(false);
    aSearch->setEnabled(false);

    // An unattended run keeps a log, opened before any file is touched; a
    // batch that goes on after a pause goes on with its log.
    const bool unattended = project::kvProject && project::kvProject->RunAndClose();
    try {
        run_.OpenLog(unattended ? project::kvProject->GetOption("LogFile") : std::string(), Batch->HandedOut() > 0);
    } catch (const std::exception& e) {
        SetIdleButtons();
        EndUnattendedWithError(e.what());
        return;
    }

    std::shared_ptr<TkvRowFeed> feed = model_->Feed();
    const uint64_t gen = model_->Generation();
    batch::TkvNodeEvent onResult = [feed, gen](batch::TkvBatch&, batch::TkvNode& node) {
        feed->Result(gen, node.Index, node.State.load(), node.FileName, node.ResultText);
    };
    try {
        Workers = run_.CreateWorkers(*Batch, target, onResult, workerFactory_);
    } catch (...) {
        Workers.reset();
        SetIdleButtons();
        throw;
    }
    RunningWorkers = Workers ? Workers->ChainLength() : 0;
    if (RunningWorkers <= 0) {
        // No worker would ever report back; stay idle rather than "running".
        RunningWorkers = 0;
        Workers.reset();
        SetIdleButtons();
        AfterRun();
        return;
    }
    QPointer<TkvFrmMain> self(this);
    // The workers normally deliver this through the dispatcher; a worker
    // that calls it on its own thread is passed to the GUI thread all the same.
    Workers->SetOnFinish([self] {
        TkvQtDispatcher::RunAndWait([self] {
            if (self) self->OnFinish();
        });
    });
    SetRunningButtons();
    pumpTimer_.setInterval(kRunPumpMs);
    model_->Flush();
    doneAtStart_ = model_->DoneRows();
    elapsed_.start();
    elapsedMs_ = -1;
    SetPhase(TkvRunPhase::Converting);
    run_.Resume(*Workers);
    StopRequested = false;
    UpdateStatus();
}

void TkvFrmMain::SearchConvert() {
    if (IsRunning()) return;
    if (DoSearch(false)) Convert();
}

void TkvFrmMain::Pause() {
    if (!IsRunning()) return;
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (Workers) Workers->TerminateAll();
    DiscardBatch = false;
    SetPhase(TkvRunPhase::Pausing);
}

void TkvFrmMain::Stop() {
    StopRequested = true;
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (!IsRunning()) {
        // Between two unattended runs: the cycle ends here.
        if (daemonTimer_.isActive()) {
            daemonTimer_.stop();
            SetPhase(TkvRunPhase::Stopped);
        }
        return;
    }
    daemonTimer_.stop();
    if (Batch) Batch->Terminate();
    if (Workers) Workers->TerminateAll();
    DiscardBatch = true;
    if (phase_ != TkvRunPhase::Closing) SetPhase(TkvRunPhase::Stopping);
}

void TkvFrmMain::RetireBatch() {
    if (Batch) retired_.push_back(std::move(Batch));
}

void TkvFrmMain::EndUnattendedWithError(const std::string& message) {
    ReportAppError(message);
    if (!project::kvProject || !project::kvProject->RunAndClose()) return;
    // As the console run does: the reason on standard error, and a process
    // that ends with an error instead of running on without its log.
    std::fprintf(stderr, "quindle: %s\n", message.c_str());
    QCoreApplication::exit(app::kExitUnattendedError);
}

void TkvFrmMain::OnFinish() {
    if (RunningWorkers > 0) --RunningWorkers;
    if (RunningWorkers > 0 || destroying_) return;

    model_->Flush();
    SetIdleButtons();
    pumpTimer_.setInterval(kIdlePumpMs);
    if (elapsed_.isValid()) elapsedMs_ = elapsed_.elapsed();
    switch (phase_) {
    case TkvRunPhase::Pausing: SetPhase(TkvRunPhase::Paused); break;
    case TkvRunPhase::Stopping:
    case TkvRunPhase::Closing: SetPhase(TkvRunPhase::Stopped); break;
    default: SetPhase(TkvRunPhase::Finished); break;
    }

    if (Batch) {
        try {
            run_.Finish(*Batch);  // counters, error report, the log closed
        } catch (const std::exception& e) {
            EndUnattendedWithError(e.what());
        }
    }
    if (DiscardBatch) {
        // The next Convert searches again. A worker may still be on its way
        // out of the batch, so it is freed later, not here.
        RetireBatch();
        DiscardBatch = false;
    }
    UpdateStatus();
    AfterRun();
    if (closeAfterRun_) QTimer::singleShot(0, this, &QWidget::close);
}

void TkvFrmMain::AfterRun() {
    UpdateStatus();
    if (!project::kvProject || !project::kvProject->RunAndClose()) return;
    const int32_t pause = project::kvProject->Daemon();
    if (pause <= 0) {
        // Not from inside the finishing worker's call: close once it returns.
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!StopRequested) StartNextRunWait(pause);
}

void TkvFrmMain::StartNextRunWait(int32_t pauseMs) {
    // The next cycle starts from the event loop, so the window stays usable
    // during the pause and the call stack does not grow from cycle to cycle;
    // Stop ends the cycle while it waits.
    daemonTimer_.start(pauseMs);
    aStop->setEnabled(true);
    SetPhase(TkvRunPhase::NextRun);
}

void TkvFrmMain::AutoRun() {
    if (!project::kvProject || !project::kvProject->RunAndClose()) return;
    unattended_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{unattended_};
    Convert();
}

void TkvFrmMain::closeEvent(QCloseEvent* e) {
    if (IsRunning()) {
        if (closeAfterRun_) {
            // Closed again: the user will not wait. Every page is written
            // under a temporary name and renamed when complete, so ending now
            // leaves no partial page behind.
            SaveLook();
            e->ignore();
            if (quitNow_) quitNow_();
            return;
        }
        // Let every worker finish the file it holds, then close: closing now
        // would free the batch under them.
        closeAfterRun_ = true;
        SetPhase(TkvRunPhase::Closing);
        Stop();
        e->ignore();
        return;
    }
    daemonTimer_.stop();
    SaveLook();
    TkvFrmBase::closeEvent(e);
}

void TkvFrmMain::QuitProgramNow() {
    // What the ordinary end would still write; the counters are written as
    // they change.
    if (project::kvProject) project::kvProject->SaveRecent();
    std::fflush(nullptr);
    std::_Exit(0);
}

void TkvFrmMain::WaitForWorkers(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (IsRunning() && t.elapsed() < timeoutMs) {
        TkvQtDispatcher::Drain();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
}

}  // namespace ui
