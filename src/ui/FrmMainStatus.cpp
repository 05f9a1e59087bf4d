// What the main window tells about its list and its run: the status line,
// the progress bar, the filter's counts, whether the list is stale, and the
// window's look kept between sessions.
#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeView>

#include "ui/FrmMain.h"
#include "ui/ResultModel.h"
#include "ui/WindowSettings.h"

namespace ui {

namespace {

bool ShowsProgress(TkvRunPhase p) {
    return p == TkvRunPhase::Converting || p == TkvRunPhase::Pausing || p == TkvRunPhase::Stopping ||
           p == TkvRunPhase::Closing;
}

}  // namespace

void TkvFrmMain::SetPhase(TkvRunPhase phase) {
    phase_ = phase;
    UpdateStatus();
}

bool TkvFrmMain::ListIsStale() const {
    return listFromSource_ && (eSource->text() != listSource_ || cSubdir->isChecked() != listSubdir_);
}

void TkvFrmMain::MarkListFresh() {
    listSource_ = eSource->text();
    listSubdir_ = cSubdir->isChecked();
    listFromSource_ = true;
}

QString TkvFrmMain::StatusText() const {
    TkvStatusFacts f;
    f.phase = phase_;
    f.searching = Batch && Batch->IsSearching();
    f.found = model_->rowCount();
    f.done = model_->DoneRows();
    f.failed = model_->FailureRows();
    f.converting = model_->ConvertingRows();
    f.elapsedMs = elapsedMs_ >= 0 ? elapsedMs_ : (IsRunning() && elapsed_.isValid() ? elapsed_.elapsed() : 0);
    if (phase_ == TkvRunPhase::Converting)
        f.remainingMs = EstimateRemainingMs(f.elapsedMs, f.done - doneAtStart_, f.found - f.done, f.searching);
    f.nextRunSeconds = daemonTimer_.isActive() ? (daemonTimer_.remainingTime() + 500) / 1000 : 0;
    f.stale = !IsRunning() && ListIsStale();
    f.note = note_;
    return StatusLine(f);
}

void TkvFrmMain::UpdateStatus() {
    if (!lStatus || destroying_) return;
    model_->SetHandedOut(Batch ? Batch->HandedOut() : 0);
    lStatus->setText(StatusText());
    const bool show = ShowsProgress(phase_);
    pbRun->setVisible(show);
    if (show) {
        const int found = model_->rowCount();
        // Nothing found yet: the bar only says that something is going on.
        pbRun->setRange(0, found);
        pbRun->setValue(model_->DoneRows());
        pbRun->setFormat(found ? QStringLiteral("%v of %m") : QString());
    }
    UpdateFilterCounts();
}

void TkvFrmMain::UpdateFilterCounts() {
    fAll->setText(QStringLiteral("All %1").arg(model_->rowCount()));
    fFailed->setText(QStringLiteral("Failed %1").arg(model_->FailureRows()));
    fConverted->setText(QStringLiteral("Converted %1").arg(model_->SuccessRows()));
    fWaiting->setText(QStringLiteral("Waiting %1").arg(model_->WaitingRows()));
}

void TkvFrmMain::SaveLook() { SaveWindowLook(QStringLiteral("main"), this, lViewer->header()); }

}  // namespace ui
