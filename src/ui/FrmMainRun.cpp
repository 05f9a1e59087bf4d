// The run side of the main window: search, convert, pause, stop, the end of a
// run and the unattended modes.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <cstdio>
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

QString FormatElapsed(qint64 ms) {
    // Short runs are the usual case: tenths of a second say more there.
    if (ms < 60000) return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    qint64 s = ms / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void TkvFrmMain::SetIdleButtons() {
    aConvert->setEnabled(true);
    aSearchConvert->setEnabled(true);
    aSearch->setEnabled(true);
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    BindButton(bCreate, aConvert);
    BindButton(bSearchConvert, aSearchConvert);
}

void TkvFrmMain::SetRunningButtons() {
    aConvert->setEnabled(false);
    aSearchConvert->setEnabled(false);
    aSearch->setEnabled(false);
    aStop->setEnabled(true);
    BindButton(bCreate, aPause);
    aPause->setEnabled(true);
    BindButton(bSearchConvert, aStop);
}

bool TkvFrmMain::DoSearch(bool fromConvert) {
    if (eSource->text().isEmpty()) {
        eSource->setFocus();
        if (!fromConvert) AfterRun();
        return false;
    }
    NewBatch();
    const std::string source = eSource->text().toStdString();
    if (source.rfind("http", 0) == 0) {
        AddSourceFile(source);
        model_->Flush();
        return true;
    }
    try {
        Batch->Start(source, eTarget->text().toStdString(), cSubdir->isChecked());
    } catch (const std::exception& e) {
        ReportAppError(e.what());
        return false;
    }
    return true;
}

void TkvFrmMain::Search() {
    if (IsRunning()) return;
    DoSearch(false);
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
    if (eTarget->text().isEmpty() || !ReduceTarget()) {
        eTarget->setFocus();
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

    bool ok = true;
    if (!Batch || Batch->IsExhausted()) ok = DoSearch(true);
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
    elapsed_.start();
    elapsedMs_ = -1;
    statusTimer_.start();
    run_.Resume(*Workers);
    StopRequested = false;
    UpdateStatus();
}

void TkvFrmMain::SearchConvert() {
    if (IsRunning()) return;
    if (DoSearch(false)) Convert();
}

void TkvFrmMain::Pause() {
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (Workers) Workers->TerminateAll();
    DiscardBatch = false;
}

void TkvFrmMain::Stop() {
    StopRequested = true;
    daemonTimer_.stop();
    aPause->setEnabled(false);
    aStop->setEnabled(false);
    if (Batch) Batch->Terminate();
    if (Workers) Workers->TerminateAll();
    DiscardBatch = true;
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
    statusTimer_.stop();
    UpdateStatus();

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
    AfterRun();
    if (closeAfterRun_) QTimer::singleShot(0, this, &QWidget::close);
}

void TkvFrmMain::AfterRun() {
    if (!project::kvProject || !project::kvProject->RunAndClose()) return;
    const int32_t pause = project::kvProject->Daemon();
    if (pause <= 0) {
        // Not from inside the finishing worker's call: close once it returns.
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    // The next cycle starts from the event loop, so the window stays usable
    // during the pause and the call stack does not grow from cycle to cycle.
    if (!StopRequested) daemonTimer_.start(pause);
}

void TkvFrmMain::AutoRun() {
    if (project::kvProject && project::kvProject->RunAndClose()) Convert();
}

void TkvFrmMain::closeEvent(QCloseEvent* e) {
    if (IsRunning()) {
        // Let every worker finish the file it holds, then close: closing now
        // would free the batch under them and leave half-written files.
        closeAfterRun_ = true;
        if (!StopRequested || aStop->isEnabled()) Stop();
        e->ignore();
        return;
    }
    daemonTimer_.stop();
    statusTimer_.stop();
    TkvFrmBase::closeEvent(e);
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

QString TkvFrmMain::StatusText() const {
    qint64 ms = elapsedMs_ >= 0 ? elapsedMs_ : (IsRunning() && elapsed_.isValid() ? elapsed_.elapsed() : 0);
    return QStringLiteral("Found: %1    Converted: %2    Failed: %3    Elapsed: %4")
        .arg(model_->rowCount())
        .arg(model_->SuccessRows())
        .arg(model_->FailureRows())
        .arg(FormatElapsed(ms));
}

void TkvFrmMain::UpdateStatus() {
    if (lStatus) lStatus->setText(StatusText());
}

}  // namespace ui
