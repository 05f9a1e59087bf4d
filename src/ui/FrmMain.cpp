#include "ui/FrmMain.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QThread>
#include <QTreeView>

#include "info/Counters.h"
#include "info/TkvInfo.h"
#include "platform/Choosers.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "project/TkvProject.h"
#include "ui/FileManager.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCfg.h"
#include "ui/Icons.h"
#include "ui/QtPropertyHost.h"
#include "ui/ResultModel.h"
#include "ui/WindowSettings.h"

namespace ui {

TkvFrmMain* kvFrmMain = nullptr;

namespace {

QString Escaped(const std::string& text) {
    // Menu captions would turn a "&" into an accelerator; paths show as they are.
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

}  // namespace

TkvFrmMain::TkvFrmMain(QWidget* parent) : TkvFrmBase(parent) {
    setObjectName(QStringLiteral("kvFrmMain"));
    if (!kvFrmMain) kvFrmMain = this;
    model_ = new TkvResultModel(this);
    filter_ = new TkvResultFilter(model_, this);
    setWindowIcon(AppIcon());
    quitNow_ = &TkvFrmMain::QuitProgramNow;
    workerFactory_ = [](batch::TkvBatch& b, const std::string& t, batch::TkvNodeEvent e) {
        return convert::CreateWorkers(b, t, std::move(e));
    };
    daemonTimer_.setSingleShot(true);
    connect(&daemonTimer_, &QTimer::timeout, this, [this] {
        aStop->setEnabled(false);
        Guarded([this] { AutoRun(); });
    });
    // The status line, the progress and the row being converted follow the
    // run at this pace.
    statusTimer_.setInterval(250);
    connect(&statusTimer_, &QTimer::timeout, this, &TkvFrmMain::UpdateStatus);
    statusTimer_.start();
    connect(model_, &TkvResultModel::Flushed, this, &TkvFrmMain::UpdateStatus);
    connect(model_, &QAbstractItemModel::modelReset, this, &TkvFrmMain::UpdateStatus);
    pumpTimer_.setInterval(kIdlePumpMs);
    connect(&pumpTimer_, &QTimer::timeout, this, [] { TkvQtDispatcher::Drain(); });
    pumpTimer_.start();

    CreateActions();
    CreateLayout();
    SetIdleButtons();

    BindOptionControls();
    if (project::kvProject) {
        project::kvProject->OpenCurrent();
    }
    UpdateTitle();
    setAcceptDrops(true);
    lookRestored_ = RestoreWindowLook(QStringLiteral("main"), this, lViewer->header());
    UpdateStatus();
}

TkvFrmMain::~TkvFrmMain() {
    destroying_ = true;
    daemonTimer_.stop();
    statusTimer_.stop();
    setAcceptDrops(false);
    if (IsRunning()) {
        // Closing normally waits for the run to end; this is the last resort
        // when the window goes away some other way.
        if (Batch) Batch->Terminate();
        if (Workers) Workers->TerminateAll();
        WaitForWorkers(30000);
    }
    if (IsRunning()) {
        // Workers still hold the batch: leaking it beats freeing it under them.
        (void)Batch.release();
        for (auto& b : retired_) (void)b.release();
    } else {
        // Workers that reported their end may still be stepping out of the
        // batch they used.
        QElapsedTimer t;
        t.start();
        while (convert::LiveWorkerCount.load() > 0 && t.elapsed() < 5000) QThread::msleep(1);
        if (convert::LiveWorkerCount.load() > 0) {
            (void)Batch.release();
            for (auto& b : retired_) (void)b.release();
        }
        std::unique_ptr<batch::TkvBatch> old = std::move(Batch);
        old.reset();
        retired_.clear();
    }
    if (kvFrmMain == this) kvFrmMain = nullptr;
}

void TkvFrmMain::BindOptionControls() {
    if (!project::kvProject) return;
    hosts_.push_back(std::make_unique<TkvQtPropertyHost>(eSource, "Text"));
    hosts_.push_back(std::make_unique<TkvQtPropertyHost>(cSubdir, "Checked"));
    hosts_.push_back(std::make_unique<TkvQtPropertyHost>(eTarget, "Text"));
    for (auto& h : hosts_) project::kvProject->BindControl(h.get());
}

void TkvFrmMain::UpdateTitle() {
    std::string title = project::kvProject ? project::kvProject->Title : std::string();
    std::string file = project::kvProject ? project::kvProject->FileName : std::string();
    setWindowTitle(QString::fromStdString(title + " - " + (file.empty() ? "None" : file)));
}

void TkvFrmMain::SetDefaultTarget(const std::string& folder) {
    if (project::kvProject && project::kvProject->DeriveTarget && eTarget->text().isEmpty())
        eTarget->setText(QString::fromStdString(folder));
}

void TkvFrmMain::NewBatch() {
    model_->Reset();
    listFromSource_ = false;
    if (!IsRunning()) SetPhase(TkvRunPhase::Idle);
    std::unique_ptr<batch::TkvBatch> old = std::move(Batch);
    // A worker of the last run can still be leaving the batch it finished.
    if (old && convert::LiveWorkerCount.load() > 0) retired_.push_back(std::move(old));
    try {
        old.reset();
    } catch (...) {
        // a batch that fails to go away is no reason to refuse a new one
    }
    if (convert::LiveWorkerCount.load() == 0) retired_.clear();
    Batch = std::make_unique<batch::TkvBatch>();
    std::shared_ptr<TkvRowFeed> feed = model_->Feed();
    uint64_t gen = model_->Generation();
    Batch->OnNodeAdded = [feed, gen](batch::TkvBatch&, batch::TkvNode& node) {
        feed->Added(gen, node.Index, node.FileName);
    };
}

void TkvFrmMain::AddSourceFile(const std::string& path) {
    SetDefaultTarget(platform::FolderPart(path));
    if (!Batch) NewBatch();
    Batch->AddFile(path);
}

void TkvFrmMain::ExportList(const std::string& fileName) {
    // The whole list in the batch's order, whatever the view shows.
    model_->Flush();
    std::string text;
    for (int i = 0; i < model_->rowCount(); ++i) text += ExportLine(model_->Row(i)) + "\r\n";
    platform::AtomicWriteFile(fileName, text);
}

std::vector<int> TkvFrmMain::SelectedRows() const {
    return filter_->SourceRows(lViewer->selectionModel()->selectedRows());
}

void TkvFrmMain::OpenSelected(bool folderOnly) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    std::string path = model_->Row(rows.front()).fileName.toStdString();
    if (folderOnly) path = platform::FolderPart(path);
    platform::ShellOpen(path);
}

void TkvFrmMain::OpenRow(int batchRow) {
    if (batchRow < 0 || batchRow >= model_->rowCount()) return;
    const TkvRow& r = model_->Row(batchRow);
    switch (model_->Status(batchRow)) {
    case TkvRowStatus::Success: platform::ShellOpen(r.result.toStdString()); break;
    case TkvRowStatus::Failure: ShowInFileManager(r.fileName.toStdString()); break;
    default: break;  // nothing to open yet
    }
}

void TkvFrmMain::OpenResultExecute() {
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty()) OpenRow(rows.front());
}

void TkvFrmMain::CopyExecute() {
    model_->Flush();
    QString text;
    for (int row : SelectedRows()) text += QString::fromStdString(ExportLine(model_->Row(row))) + QLatin1Char('\n');
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TkvFrmMain::SetListFilter(TkvListFilter filter) {
    filter_->SetFilter(filter);
    if (QAbstractButton* b = filterGroup_->button(static_cast<int>(filter)); b && !b->isChecked()) b->setChecked(true);
}

void TkvFrmMain::bSourceClick() {
    std::string path = platform::FolderPart(eSource->text().toStdString());
    platform::BrowseFolder(path);
    const char delim = project::kvProject ? project::kvProject->PathDelim : '/';
    if (path.empty() || path.back() != delim) path += delim;
    std::string pattern = project::kvProject ? project::kvProject->FilePattern : std::string();
    eSource->setText(QString::fromStdString(path + pattern));
    SetDefaultTarget(path);
}

void TkvFrmMain::bSourceFileClick() {
    // The workers of a run hold the current batch; a new choice would free
    // entries under them.
    if (IsRunning()) return;
    std::string path = eSource->text().toStdString();
    if (!platform::ChooseFiles(project::kvProject ? project::kvProject->FileFilter : std::string(), path, true)) return;
    path = Trim(path);
    if (path.find('\n') == std::string::npos && path.find('\r') == std::string::npos)
        eSource->setText(QString::fromStdString(path));
    NewBatch();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\r\n", start);
        if (end == std::string::npos) end = path.size();
        std::string one = Trim(path.substr(start, end - start));
        if (!one.empty()) AddSourceFile(one);
        start = end + 1;
    }
    model_->Flush();
    MarkListFresh();
}

void TkvFrmMain::bTargetClick() {
    std::string path = eTarget->text().toStdString();
    platform::BrowseFolder(path);
    const char delim = project::kvProject ? project::kvProject->PathDelim : '/';
    if (path.empty() || path.back() != delim) path += delim;
    eTarget->setText(QString::fromStdString(path));
}

void TkvFrmMain::pm1Popup() {
    bool selected = lViewer->selectionModel()->hasSelection();
    OpenSource1->setEnabled(selected);
    ViewSource1->setEnabled(selected);
    aOpenResult->setEnabled(selected);
    aCopy->setEnabled(selected);
}

void TkvFrmMain::pm2Popup() {
    pm2->clear();
    if (!project::kvProject) return;
    for (const std::string& file : project::kvProject->Recent()) {
        QAction* item = pm2->addAction(Escaped(file));
        item->setData(QString::fromStdString(file));
        item->setEnabled(platform::FileExists(file));
        connect(item, &QAction::triggered, this, [this, file] {
            Guarded([this, file] {
                project::kvProject->FileName = file;
                project::kvProject->OpenProject(false);
                UpdateTitle();
            });
        });
    }
}

void TkvFrmMain::ExportList1Click() {
    std::string path;
    if (!platform::ChooseSaveFile("Log File|*.log", ".log", path)) return;
    try {
        ExportList(path);
    } catch (const std::exception& e) {
        ShowWriteError(this, QStringLiteral("Export the List"), path, e.what());
    }
}

void TkvFrmMain::aViewExecute() {
    if (!eTarget->text().isEmpty()) platform::ShellOpen(eTarget->text().toStdString());
    else eTarget->setFocus();
}

void TkvFrmMain::aOpenExecute() {
    // Retitle even when the chooser is cancelled or the file is unreadable.
    struct Retitle {
        TkvFrmMain* w;
        ~Retitle() { w->UpdateTitle(); }
    } retitle{this};
    if (project::kvProject) project::kvProject->OpenProject(true);
}

void TkvFrmMain::aNewExecute() {
    if (project::kvProject) project::kvProject->NewProject();
    UpdateTitle();
}

TkvFrmCfg* TkvFrmMain::Cfg() {
    if (!cfg_) cfg_ = std::make_unique<TkvFrmCfg>();
    return cfg_.get();
}

void TkvFrmMain::aConfigExecute() {
    struct Retitle {
        TkvFrmMain* w;
        ~Retitle() { w->UpdateTitle(); }
    } retitle{this};
    Cfg()->ShowModal();
}

void TkvFrmMain::aSaveExecute() {
    if (!project::kvProject) return;
    // Whoever sits at the window learns that the project was not saved, also
    // when error reports are kept quiet.
    try {
        project::kvProject->SaveProject();
    } catch (const std::exception& e) {
        UpdateTitle();
        ShowWriteError(this, QStringLiteral("Save"), project::kvProject->FileName, e.what());
    }
    UpdateTitle();
}

void TkvFrmMain::aSaveAsExecute() {
    if (!project::kvProject) return;
    try {
        project::kvProject->SaveProjectAs();
    } catch (const std::exception& e) {
        UpdateTitle();
        ShowWriteError(this, QStringLiteral("Save As"), project::kvProject->FileName, e.what());
    }
    UpdateTitle();
}

void TkvFrmMain::aUpdateExecute() {
    if (info::kvInfo) info::kvInfo->OpenLink("download", "", "");
}

void TkvFrmMain::aHelpExecute() {
    if (!info::kvInfo) return;
    info::kvInfo->OpenLink("h", "", "");
    info::kvInfo->Tally(info::kCountHelp, 0, 1);
}

void TkvFrmMain::aHomePageExecute() {
    if (info::kvInfo) info::kvInfo->OpenLink("", "", "");
}

void TkvFrmMain::aSupportsExecute() {
    if (info::kvInfo) info::kvInfo->OpenLink("supports", "", "");
}

void TkvFrmMain::aAboutExecute() {
    if (kvFrmQuindleAbout) kvFrmQuindleAbout->ShowAbout();
}

void TkvFrmMain::showEvent(QShowEvent* e) {
    TkvFrmBase::showEvent(e);
    FitToolBar();
    if (WasShown) return;
    WasShown = true;
    if (!lookRestored_) CenterOnScreen();
    // After the window has appeared, not inside its first paint.
    QTimer::singleShot(0, this, [this] { Guarded([this] { AutoRun(); }); });
}

}  // namespace ui
