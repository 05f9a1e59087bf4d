// The main window's layout, built row by row from the top: tool bar, the
// source and target rows, the list's filter, the list, the status line. The
// path boxes and the result column take whatever width the window has.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/FrmMain.h"
#include "ui/PathEdit.h"
#include "ui/ResultModel.h"

namespace ui {

namespace {

// The narrowest the window gets: half of a laptop screen.
constexpr int kMinWindowWidth = 760;
constexpr int kMinWindowHeight = 360;
// Narrower than this the path boxes would show too little of a path.
constexpr int kMinPathBoxWidth = 160;

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

QPushButton* MakeButton(QWidget* parent, QPushButton*& b, const char* name) {
    b = new QPushButton(parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

// A path box behind its caption, in the grid's first two columns.
void MakeEdit(QWidget* parent, QGridLayout* grid, int row, QLabel*& l, QLineEdit*& e, const char* name,
              const char* label, const char* hint) {
    l = new QLabel(QString::fromUtf8(label), parent);
    e = new TkvPathEdit(parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setMinimumWidth(kMinPathBoxWidth);
    l->setBuddy(e);
    // The box itself is bound to an option and shows no hint; its caption
    // tells what the row is for.
    l->setToolTip(QString::fromUtf8(hint));
    grid->addWidget(l, row, 0);
    grid->addWidget(e, row, 1);
}

}  // namespace

void TkvFrmMain::CreateLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    CreateToolBar(root);
    CreateActionPanel(root);
    CreateFilterBar(root);
    CreateFileList(root);
    CreateStatusLine(root);
    CreateListMenu();
    ConnectControls();
    OrderTabs();
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
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
        tb->setAutoRaise(true);
        // Reachable with Tab like every other control.
        tb->setFocusPolicy(Qt::TabFocus);
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

void TkvFrmMain::FitToolBar() {
    // Captions while they fit; pictures alone (captions in the hints) when
    // the window is narrower, so that no tool hides behind an overflow arrow.
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    int wanted = 0;
    for (QAction* a : ToolBar->actions())
        if (QWidget* w = ToolBar->widgetForAction(a)) wanted += w->sizeHint().width() + ToolBar->layout()->spacing();
    if (wanted + 16 > width()) ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TkvFrmMain::resizeEvent(QResizeEvent* e) {
    TkvFrmBase::resizeEvent(e);
    if (ToolBar) FitToolBar();
}

void TkvFrmMain::CreateActionPanel(QVBoxLayout* root) {
    pAction = new QFrame(this);
    pAction->setObjectName(QStringLiteral("pAction"));
    pAction->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // One grid for both rows, so that Target's buttons sit under Source's:
    // Folder under Folder, View under Files, Convert under Search, Stop
    // under Pause.
    auto* grid = new QGridLayout(pAction);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    CreateSourceRow(grid);
    CreateTargetRow(grid);
    grid->setColumnStretch(1, 1);

    BindButton(bSearch, aSearch);
    BindButton(bView, aView);
    BindButton(bSearchConvert, aSearchConvert);
    BindButton(bCreate, aConvert);
    BindButton(bPause, aPause);
    BindButton(bStop, aStop);
    root->addWidget(pAction);
}

void TkvFrmMain::CreateSourceRow(QGridLayout* grid) {
    MakeEdit(pAction, grid, 0, lSource, eSource, "eSource", "&Source",
             "Choose or drag & drop source folder or file(s)");
    grid->addWidget(MakeButton(pAction, bSource, "bSource"), 0, 2);
    bSource->setText(QStringLiteral("Folder"));
    bSource->setToolTip(QStringLiteral("Choose a folder and click \"Search\" to list files"));
    grid->addWidget(MakeButton(pAction, bSourceFile, "bSourceFile"), 0, 3);
    bSourceFile->setText(QStringLiteral("Files"));
    bSourceFile->setToolTip(QStringLiteral("Choose file(s) and click \"Convert\" to convert them"));
    cSubdir = new QCheckBox(QStringLiteral("Su&b folders"), pAction);
    cSubdir->setObjectName(QStringLiteral("cSubdir"));
    cSubdir->setLayoutDirection(Qt::RightToLeft);  // caption on the left of the box
    grid->addWidget(cSubdir, 0, 4);
    grid->addWidget(MakeButton(pAction, bSearch, "bSearch"), 0, 5);
    grid->addWidget(MakeButton(pAction, bPause, "bPause"), 0, 6);
}

void TkvFrmMain::CreateTargetRow(QGridLayout* grid) {
    MakeEdit(pAction, grid, 1, lTarget, eTarget, "eTarget", "&Target", "Choose or drag & drop target folder");
    grid->addWidget(MakeButton(pAction, bTarget, "bTarget"), 1, 2);
    bTarget->setText(QStringLiteral("Folder"));
    bTarget->setToolTip(QStringLiteral("Choose a target folder to save the converted file(s)"));
    grid->addWidget(MakeButton(pAction, bView, "bView"), 1, 3);
    // Start has no place of its own while it stays hidden; it shares the
    // cell below Sub folders.
    grid->addWidget(MakeButton(pAction, bSearchConvert, "bSearchConvert"), 1, 4);
    grid->addWidget(MakeButton(pAction, bCreate, "bCreate"), 1, 5);
    grid->addWidget(MakeButton(pAction, bStop, "bStop"), 1, 6);
}

void TkvFrmMain::CreateFilterBar(QVBoxLayout* root) {
    pSpacer = new QWidget(this);
    pSpacer->setObjectName(QStringLiteral("pSpacer"));
    pSpacer->setFixedHeight(2);
    root->addWidget(pSpacer);

    pFilter = new QWidget(this);
    pFilter->setObjectName(QStringLiteral("pFilter"));
    auto* lay = new QHBoxLayout(pFilter);
    lay->setContentsMargins(6, 2, 6, 2);
    lay->setSpacing(4);
    filterGroup_ = new QButtonGroup(this);
    filterGroup_->setExclusive(true);
    auto add = [&](QToolButton*& b, const char* name, TkvListFilter f, const char* hint) {
        b = new QToolButton(pFilter);
        b->setObjectName(QString::fromUtf8(name));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setToolTip(QString::fromUtf8(hint));
        filterGroup_->addButton(b, static_cast<int>(f));
        lay->addWidget(b);
    };
    add(fAll, "fAll", TkvListFilter::All, "Show every file");
    add(fFailed, "fFailed", TkvListFilter::Failed, "Show the files that failed");
    add(fConverted, "fConverted", TkvListFilter::Converted, "Show the files that were converted");
    add(fWaiting, "fWaiting", TkvListFilter::Waiting, "Show the files still to convert");
    fAll->setChecked(true);
    lay->addStretch(1);
    connect(filterGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { SetListFilter(static_cast<TkvListFilter>(id)); });
    root->addWidget(pFilter);
}

void TkvFrmMain::CreateFileList(QVBoxLayout* root) {
    pViewer = new QFrame(this);
    pViewer->setObjectName(QStringLiteral("pViewer"));
    pViewer->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* viewerLay = new QVBoxLayout(pViewer);
    viewerLay->setContentsMargins(1, 1, 1, 1);
    lViewer = new QTreeView(pViewer);
    lViewer->setObjectName(QStringLiteral("lViewer"));
    lViewer->setModel(filter_);
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
    lViewer->setSortingEnabled(true);
    QHeaderView* header = lViewer->header();
    // Until a column is clicked the rows keep the batch's order; a third
    // click on a column goes back to it.
    header->setSortIndicatorClearable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(30);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, 30);
    header->setSectionResizeMode(1, QHeaderView::Interactive);
    header->resizeSection(1, 370);
    header->setStretchLastSection(true);  // the result column takes the rest
    lViewer->setContextMenuPolicy(Qt::CustomContextMenu);
    // Copy belongs to the list: in a path box Ctrl+C copies the box's text.
    aCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    lViewer->addAction(aCopy);
    viewerLay->addWidget(lViewer);
    root->addWidget(pViewer, 1);
}

void TkvFrmMain::CreateStatusLine(QVBoxLayout* root) {
    pStatus = new QWidget(this);
    pStatus->setObjectName(QStringLiteral("pStatus"));
    auto* lay = new QHBoxLayout(pStatus);
    lay->setContentsMargins(6, 2, 6, 2);
    lStatus = new QLabel(pStatus);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    lStatus->setMinimumWidth(100);
    lStatus->setTextFormat(Qt::PlainText);
    lay->addWidget(lStatus, 1);
    pbRun = new QProgressBar(pStatus);
    pbRun->setObjectName(QStringLiteral("pbRun"));
    pbRun->setFixedWidth(200);
    pbRun->setMaximumHeight(16);
    pbRun->setTextVisible(true);
    pbRun->setVisible(false);
    lay->addWidget(pbRun);
    root->addWidget(pStatus);
}

void TkvFrmMain::CreateListMenu() {
    pm1 = new QMenu(this);
    pm1->setObjectName(QStringLiteral("pm1"));
    BrowseFiles1 = pm1->addAction(QStringLiteral("Browse Files"));
    pm1->addSeparator();
    pm1->addAction(aOpenResult);
    pm1->addAction(aCopy);
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
    // Enter in the source box lists what it names.
    connect(eSource, &QLineEdit::returnPressed, aSearch, &QAction::trigger);
    connect(lViewer, &QAbstractItemView::activated, this,
            [this](const QModelIndex& i) { Guarded([this, i] { OpenRow(filter_->mapToSource(i).row()); }); });
    // Selecting rows enables what works on them.
    connect(lViewer->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { pm1Popup(); });
    // The list made from the boxes goes stale when they change.
    connect(eSource, &QLineEdit::textChanged, this, [this] { UpdateStatus(); });
    connect(cSubdir, &QCheckBox::toggled, this, [this] { UpdateStatus(); });

    // Drops are handled by the window, which decides by the control under
    // the cursor; the edits must not take the text themselves.
    eSource->setAcceptDrops(false);
    eTarget->setAcceptDrops(false);
    lViewer->setAcceptDrops(false);
    lViewer->viewport()->setAcceptDrops(false);
}

void TkvFrmMain::OrderTabs() {
    QList<QWidget*> chain = {eSource, bSource, bSourceFile,    cSubdir,  bSearch, bPause,
                             eTarget, bTarget, bSearchConvert, bCreate,  bView,   bStop,
                             fAll,    fFailed, fConverted,     fWaiting, lViewer};
    for (QAction* a : ToolBar->actions())
        if (QWidget* w = ToolBar->widgetForAction(a); w && w->focusPolicy() != Qt::NoFocus) chain << w;
    for (int i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

}  // namespace ui
