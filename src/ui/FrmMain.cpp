#include "ui/FrmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "app/TkvMain.h"
#include "info/Counters.h"
#include "info/TkvInfo.h"
#include "platform/Choosers.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "project/TkvProject.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCfg.h"
#include "ui/Icons.h"
#include "ui/QtPropertyHost.h"
#include "ui/ResultModel.h"

namespace ui {

TkvFrmMain* kvFrmMain = nullptr;

namespace {

// Double clicks on the two path boxes open their choosers.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> fn) : QObject(parent), fn_(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonDblClick) {
            Guarded(fn_);
            return true;
        }
        return false;
    }

private:
    std::function<void()> fn_;
};

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

// A push button of the action panel's rows.
QPushButton* MakeButton(QWidget* parent, QPushButton*& b, const char* name, int width) {
    b = new QPushButton(parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setMinimumWidth(width);
    return b;
}

// A path box of the action panel's rows, behind its caption.
void MakeEdit(QWidget* row, QHBoxLayout* lay, QLineEdit*& e, const char* name, const char* label) {
    auto* l = new QLabel(QString::fromUtf8(label), row);
    l->setMinimumWidth(44);
    e = new QLineEdit(row);
    e->setObjectName(QString::fromUtf8(name));
    e->setFixedWidth(500);
    l->setBuddy(e);
    lay->addWidget(l);
    lay->addSpacing(4 - lay->spacing());
    lay->addWidget(e);
}

}  // namespace

TkvFrmMain::TkvFrmMain(QWidget* parent) : TkvFrmBase(parent) {
    setObjectName(QStringLiteral("kvFrmMain"));
    if (!kvFrmMain) kvFrmMain = this;
    model_ = new TkvResultModel(this);
    workerFactory_ = [](batch::TkvBatch& b, const std::string& t, batch::TkvNodeEvent e) {
        return convert::CreateWorkers(b, t, std::move(e));
    };
    daemonTimer_.setSingleShot(true);
    connect(&daemonTimer_, &QTimer::timeout, this, [this] { Guarded([this] { AutoRun(); }); });
    statusTimer_.setInterval(250);
    connect(&statusTimer_, &QTimer::timeout, this, &TkvFrmMain::UpdateStatus);
    connect(model_, &TkvResultModel::Flushed, this, &TkvFrmMain::UpdateStatus);
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

void TkvFrmMain::CreateActions() {
    auto make = [this](QAction*& a, const char* name, const char* caption, const char* hint, int image,
                       void (TkvFrmMain::*slot)()) {
        a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromUtf8(name));
        if (hint && *hint) {
            a->setToolTip(QString::fromUtf8(hint));
            a->setStatusTip(QString::fromUtf8(hint));
        }
        if (image >= 0) a->setIcon(ImageListIcon(image));
        connect(a, &QAction::triggered, this, [this, slot] { Guarded([this, slot] { (this->*slot)(); }); });
        addAction(a);  // so that its shortcut works anywhere in the window
    };
    make(aConvert, "aConvert", "&Convert", "Convert the file(s) instantly", imgConvert, &TkvFrmMain::Convert);
    make(aStop, "aStop", "Sto&p", nullptr, -1, &TkvFrmMain::Stop);
    make(aPause, "aPause", "Pause", nullptr, -1, &TkvFrmMain::Pause);
    make(aSearch, "aSearch", "Search", "Search files from the source folder", imgSearch, &TkvFrmMain::Search);
    make(aSearchConvert, "aSearchConvert", "Start", nullptr, -1, &TkvFrmMain::SearchConvert);
    make(aView, "aView", "View", "View the convert result", -1, &TkvFrmMain::aViewExecute);
    make(aOpen, "aOpen", "&Open", "Open a batch project", imgOpen, &TkvFrmMain::aOpenExecute);
    make(aNew, "aNew", "&New", "New a batch project", imgNew, &TkvFrmMain::aNewExecute);
    make(aConfig, "aConfig", "Config", "Config the options of the batch project", imgConfig,
         &TkvFrmMain::aConfigExecute);
    make(aSave, "aSave", "Sa&ve", "Save the batch project", imgSave, &TkvFrmMain::aSaveExecute);
    make(aSaveAs, "aSaveAs", "Save &As", "Save the batch project as ...", imgSaveAs, &TkvFrmMain::aSaveAsExecute);
    make(aUpdate, "aUpdate", "Check &Update", nullptr, imgUpdate, &TkvFrmMain::aUpdateExecute);
    make(aHelp, "aHelp", "&Help", nullptr, imgHelp, &TkvFrmMain::aHelpExecute);
    make(aHomePage, "aHomePage", "Home", nullptr, imgHome, &TkvFrmMain::aHomePageExecute);
    make(aSupports, "aSupports", "Support", "Send us e-mail for support", imgSupport, &TkvFrmMain::aSupportsExecute);
    make(aAbout, "aAbout", "About", nullptr, imgAbout, &TkvFrmMain::aAboutExecute);
    aSearchConvert->setVisible(false);

    aOpen->setShortcut(QKeySequence::Open);
    aNew->setShortcut(QKeySequence::New);
    aSave->setShortcut(QKeySequence::Save);
    aSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    aHelp->setShortcut(QKeySequence(Qt::Key_F1));
    for (QAction* a : {aOpen, aNew, aSave, aSaveAs, aHelp}) a->setShortcutContext(Qt::WindowShortcut);
}

void TkvFrmMain::BindButton(QAbstractButton* button, QAction* action) {
    // A push button follows one action at a time: caption, hint, enabled and
    // visible state, and the click. Buttons switch actions during a run.
    for (const auto& c : bindings_[button]) QObject::disconnect(c);
    auto sync = [button, action] {
        button->setText(action->text());
        button->setToolTip(action->statusTip());
        button->setEnabled(action->isEnabled());
        button->setVisible(action->isVisible());
    };
    sync();
    bindings_[button] = {connect(action, &QAction::changed, button, sync),
                         connect(button, &QAbstractButton::clicked, action, &QAction::trigger)};
}

void TkvFrmMain::CreateLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    CreateToolBar(root);
    CreateActionPanel(root);
    CreateFileList(root);
    CreateStatusLine(root);
    CreateListMenu();
    ConnectControls();
    OrderTabs();
}

void TkvFrmMain::CreateToolBar(QVBoxLayout* root) {
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar->setIconSize(QSize(16, 16));
    auto addTool = [this](QToolButton*& tb, const char* name, QAction* a) {
        ToolBar->addAction(a);
        tb = qobject_cast<QToolButton*>(ToolBar->widgetForAction(a));
        tb->setObjectName(QString::fromUtf8(name));
        tb->setMinimumWidth(101);
        tb->setAutoRaise(true);
    };
    pm2 = new QMenu(this);
    pm2->setObjectName(QStringLiteral("pm2"));
    connect(pm2, &QMenu::aboutToShow, this, [this] { Guarded([this] { pm2Popup(); }); });
    addTool(tbOpen, "tbOpen", aOpen);
    tbOpen->setMenu(pm2);
    tbOpen->setPopupMode(QToolButton::MenuButtonPopup);
    addTool(tbNew, "tbNew", aNew);
    addTool(tbConfig, "tbConfig", aConfig);
    addTool(tbSave, "tbSave", aSave);
    addTool(tbSaveAs, "tbSaveAs", aSaveAs);
    ToolBar->addSeparator()->setObjectName(QStringLiteral("tb1"));
    addTool(tbUpdate, "tbUpdate", aUpdate);
    ToolBar->addSeparator()->setObjectName(QStringLiteral("tb2"));
    addTool(tbHelp, "tbHelp", aHelp);
    addTool(tbHomePage, "tbHomePage", aHomePage);
    addTool(tbSupports, "tbSupports", aSupports);
    addTool(tbAbout, "tbAbout", aAbout);
    root->addWidget(ToolBar);
}

void TkvFrmMain::CreateActionPanel(QVBoxLayout* root) {
    pAction = new QFrame(this);
    pAction->setObjectName(QStringLiteral("pAction"));
    pAction->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    pAction->setFixedHeight(70);
    auto* actionRows = new QVBoxLayout(pAction);
    actionRows->setContentsMargins(4, 2, 4, 2);
    actionRows->setSpacing(0);

    CreateSourceRow();
    CreateTargetRow();

    BindButton(bSearch, aSearch);
    BindButton(bView, aView);
    BindButton(bSearchConvert, aSearchConvert);
    BindButton(bCreate, aConvert);

    // The two rows line up column by column (Target's buttons sit under
    // Source's), whatever widths the captions need in the current font.
    auto align = [](QWidget* a, QWidget* b, int minimum) {
        int w = std::max({minimum, a->sizeHint().width(), b->sizeHint().width()});
        a->setFixedWidth(w);
        b->setFixedWidth(w);
    };
    align(bSource, bTarget, 38);
    align(bSourceFile, bView, 38);
    align(cSubdir, bSearchConvert, 76);
    align(bSearch, bCreate, 76);

    actionRows->addWidget(pSource);
    actionRows->addWidget(pTarget);
    pOthers = new QWidget(pAction);
    pOthers->setObjectName(QStringLiteral("pOthers"));
    actionRows->addWidget(pOthers, 1);
    root->addWidget(pAction);
}

void TkvFrmMain::CreateSourceRow() {
    pSource = new QWidget(pAction);
    pSource->setObjectName(QStringLiteral("pSource"));
    pSource->setFixedHeight(32);
    pSource->setToolTip(QStringLiteral("Choose or drag & drop source folder or file(s)"));
    auto* src = new QHBoxLayout(pSource);
    src->setContentsMargins(0, 0, 0, 0);
    MakeEdit(pSource, src, eSource, "eSource", "&Source");
    src->addWidget(MakeButton(pSource, bSource, "bSource", 38));
    bSource->setText(QStringLiteral("Folder"));
    bSource->setToolTip(QStringLiteral("Choose a folder and click \"Search\" to list files"));
    src->addWidget(MakeButton(pSource, bSourceFile, "bSourceFile", 38));
    bSourceFile->setText(QStringLiteral("Files"));
    bSourceFile->setToolTip(QStringLiteral("Choose file(s) and click \"Convert\" to convert them"));
    cSubdir = new QCheckBox(QStringLiteral("Su&b folders"), pSource);
    cSubdir->setObjectName(QStringLiteral("cSubdir"));
    cSubdir->setLayoutDirection(Qt::RightToLeft);  // caption on the left of the box
    src->addWidget(cSubdir);
    src->addWidget(MakeButton(pSource, bSearch, "bSearch", 76));
    src->addStretch(1);
}

void TkvFrmMain::CreateTargetRow() {
    pTarget = new QWidget(pAction);
    pTarget->setObjectName(QStringLiteral("pTarget"));
    pTarget->setFixedHeight(30);
    pTarget->setToolTip(QStringLiteral("Choose or drag & drop target folder"));
    auto* tgt = new QHBoxLayout(pTarget);
    tgt->setContentsMargins(0, 0, 0, 0);
    MakeEdit(pTarget, tgt, eTarget, "eTarget", "&Target");
    tgt->addWidget(MakeButton(pTarget, bTarget, "bTarget", 38));
    bTarget->setText(QStringLiteral("Folder"));
    bTarget->setToolTip(QStringLiteral("Choose a target folder to save the converted file(s)"));
    tgt->addWidget(MakeButton(pTarget, bView, "bView", 38));
    tgt->addWidget(MakeButton(pTarget, bSearchConvert, "bSearchConvert", 76));
    tgt->addWidget(MakeButton(pTarget, bCreate, "bCreate", 76));
    tgt->addStretch(1);
}

void TkvFrmMain::CreateFileList(QVBoxLayout* root) {
    pSpacer = new QWidget(this);
    pSpacer->setObjectName(QStringLiteral("pSpacer"));
    pSpacer->setFixedHeight(2);
    root->addWidget(pSpacer);

    pViewer = new QFrame(this);
    pViewer->setObjectName(QStringLiteral("pViewer"));
    pViewer->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* viewerLay = new QVBoxLayout(pViewer);
    viewerLay->setContentsMargins(1, 1, 1, 1);
    lViewer = new QTreeView(pViewer);
    lViewer->setObjectName(QStringLiteral("lViewer"));
    lViewer->setModel(model_);
    lViewer->setFrameShape(QFrame::NoFrame);
    lViewer->setRootIsDecorated(false);
    lViewer->setItemsExpandable(false);
    lViewer->setUniformRowHeights(true);  // keeps a list of 100,000 rows cheap
    lViewer->setSelectionBehavior(QAbstractItemView::SelectRows);
    lViewer->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lViewer->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lViewer->setIconSize(QSize(16, 16));
    lViewer->setAllColumnsShowFocus(true);
    lViewer->setToolTip(QStringLiteral("Drag & drop file(s) here and click \"Convert\" to convert them"));
    QHeaderView* header = lViewer->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(30);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, 30);
    header->resizeSection(1, 370);
    header->resizeSection(2, 370);
    lViewer->setContextMenuPolicy(Qt::CustomContextMenu);
    viewerLay->addWidget(lViewer);
    root->addWidget(pViewer, 1);
}

void TkvFrmMain::CreateStatusLine(QVBoxLayout* root) {
    lStatus = new QLabel(this);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    lStatus->setContentsMargins(6, 2, 6, 2);
    root->addWidget(lStatus);
}

void TkvFrmMain::CreateListMenu() {
    pm1 = new QMenu(this);
    pm1->setObjectName(QStringLiteral("pm1"));
    BrowseFiles1 = pm1->addAction(QStringLiteral("Browse Files"));
    pm1->addSeparator();
    ViewSource1 = pm1->addAction(QStringLiteral("View  Source"));
    OpenSource1 = pm1->addAction(QStringLiteral("Open Source"));
    pm1->addSeparator();
    ViewOutput1 = pm1->addAction(QStringLiteral("View  Output"));
    pm1->addSeparator();
    ExportList1 = pm1->addAction(QStringLiteral("Export the List"));
    connect(pm1, &QMenu::aboutToShow, this, [this] { pm1Popup(); });
    connect(BrowseFiles1, &QAction::triggered, this, [this] { Guarded([this] { bSourceFileClick(); }); });
    connect(ViewSource1, &QAction::triggered, this, [this] { Guarded([this] { OpenSelected(true); }); });
    connect(OpenSource1, &QAction::triggered, this, [this] { Guarded([this] { OpenSelected(false); }); });
    connect(ViewOutput1, &QAction::triggered, aView, &QAction::trigger);
    connect(ExportList1, &QAction::triggered, this, [this] { Guarded([this] { ExportList1Click(); }); });
    connect(lViewer, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pm1->popup(lViewer->viewport()->mapToGlobal(pos)); });
}

void TkvFrmMain::ConnectControls() {
    connect(bSource, &QPushButton::clicked, this, [this] { Guarded([this] { bSourceClick(); }); });
    connect(bSourceFile, &QPushButton::clicked, this, [this] { Guarded([this] { bSourceFileClick(); }); });
    connect(bTarget, &QPushButton::clicked, this, [this] { Guarded([this] { bTargetClick(); }); });
    eSource->installEventFilter(new DoubleClickFilter(this, [this] { bSourceFileClick(); }));
    eTarget->installEventFilter(new DoubleClickFilter(this, [this] { bTargetClick(); }));

    // Drops are handled by the window, which decides by the control under
    // the cursor; the edits must not take the text themselves.
    eSource->setAcceptDrops(false);
    eTarget->setAcceptDrops(false);
    lViewer->setAcceptDrops(false);
    lViewer->viewport()->setAcceptDrops(false);
}

void TkvFrmMain::OrderTabs() {
    setTabOrder(eSource, bSource);
    setTabOrder(bSource, bSourceFile);
    setTabOrder(bSourceFile, cSubdir);
    setTabOrder(cSubdir, bSearch);
    setTabOrder(bSearch, eTarget);
    setTabOrder(eTarget, bTarget);
    setTabOrder(bTarget, bSearchConvert);
    setTabOrder(bSearchConvert, bCreate);
    setTabOrder(bCreate, bView);
    setTabOrder(bView, lViewer);
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
    model_->Flush();
    std::string text;
    for (int i = 0; i < model_->rowCount(); ++i) {
        const TkvRow& r = model_->Row(i);
        text += "[";
        text += app::TkvMain::StateWord(r.state);
        text += "] => " + r.fileName.toStdString() + " => " + r.result.toStdString() + "\r\n";
    }
    platform::AtomicWriteFile(fileName, text);
}

void TkvFrmMain::OpenSelected(bool folderOnly) {
    QModelIndexList rows = lViewer->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    int first = rows.first().row();
    for (const QModelIndex& i : rows) first = std::min(first, i.row());
    std::string path = model_->Row(first).fileName.toStdString();
    if (folderOnly) path = platform::FolderPart(path);
    platform::ShellOpen(path);
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
    if (platform::ChooseSaveFile("Log File|*.log", ".log", path)) ExportList(path);
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
    struct Retitle {
        TkvFrmMain* w;
        ~Retitle() { w->UpdateTitle(); }
    } retitle{this};
    if (project::kvProject) project::kvProject->SaveProject();
}

void TkvFrmMain::aSaveAsExecute() {
    struct Retitle {
        TkvFrmMain* w;
        ~Retitle() { w->UpdateTitle(); }
    } retitle{this};
    if (project::kvProject) project::kvProject->SaveProjectAs();
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

QWidget* TkvFrmMain::DropTargetAt(const QPoint& pos) const {
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
        if (w == eSource || w == eTarget || w == lViewer) return w;
        // Only the list's own area counts, not the buttons or panels around it.
        if (w == pAction || w == ToolBar || w == pViewer) return nullptr;
    }
    return nullptr;
}

void TkvFrmMain::DropFiles(QWidget* target, const std::vector<std::string>& paths) {
    if (target != eSource && target != eTarget && target != lViewer) return;
    const size_t n = paths.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& path = paths[i];
        if (n == 1 && project::kvProject && project::kvProject->IsProjectFile(path)) {
            project::kvProject->FileName = path;
            project::kvProject->OpenProject(false);
            UpdateTitle();
            break;
        }
        if (target != lViewer) {
            static_cast<QLineEdit*>(target)->setText(QString::fromStdString(path));
            SetDefaultTarget(platform::FolderPart(path));
            break;
        }
        if (IsRunning()) break;  // the run's workers hold the current batch
        if (i == 0) NewBatch();
        AddSourceFile(path);
    }
    model_->Flush();
}

namespace {
std::vector<std::string> DroppedPaths(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        // Only items of the file system: a web link or any other kind of
        // dropped object has no path to offer.
        if (!url.isLocalFile()) continue;
        QString local = url.toLocalFile();
        if (local.isEmpty()) continue;
        paths.push_back(local.toStdString());
    }
    return paths;
}
}  // namespace

void TkvFrmMain::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData() && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TkvFrmMain::dragMoveEvent(QDragMoveEvent* e) {
    if (DropTargetAt(e->position().toPoint())) e->acceptProposedAction();
    else e->ignore();
}

void TkvFrmMain::dropEvent(QDropEvent* e) {
    QWidget* target = DropTargetAt(e->position().toPoint());
    std::vector<std::string> paths = DroppedPaths(e->mimeData());
    if (!target || paths.empty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    Guarded([&] { DropFiles(target, paths); });
}

void TkvFrmMain::showEvent(QShowEvent* e) {
    TkvFrmBase::showEvent(e);
    if (WasShown) return;
    WasShown = true;
    // After the window has appeared, not inside its first paint.
    QTimer::singleShot(0, this, [this] { Guarded([this] { AutoRun(); }); });
}

}  // namespace ui
