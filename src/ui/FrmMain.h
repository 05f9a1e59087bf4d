#pragma once
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "batch/TkvBatch.h"
#include "convert/Run.h"
#include "convert/Workers.h"
#include "ui/FrmBase.h"
#include "ui/QtDispatcher.h"
#include "ui/ResultFilter.h"
#include "ui/RunStatus.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QButtonGroup;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;
class QGridLayout;

namespace ui {

class TkvFrmCfg;
class TkvQtPropertyHost;
class TkvResultModel;

// How often the window looks for finished workers: often during a run, so
// that the end shows at once, rarely otherwise.
inline constexpr int kRunPumpMs = 5;
inline constexpr int kIdlePumpMs = 100;

// The main window: source and target, the file list with one result per
// file, the project actions and the run control.
class TkvFrmMain : public TkvFrmBase {
    Q_OBJECT
public:
    explicit TkvFrmMain(QWidget* parent = nullptr);
    ~TkvFrmMain() override;

    virtual void BindOptionControls();

    // Controls, named as the project's bound-control keys expect.
    QToolBar* ToolBar = nullptr;
    QToolButton *tbOpen = nullptr, *tbNew = nullptr, *tbConfig = nullptr, *tbSave = nullptr, *tbSaveAs = nullptr,
                *tbUpdate = nullptr, *tbHelp = nullptr, *tbHomePage = nullptr, *tbSupports = nullptr,
                *tbAbout = nullptr;
    QFrame *pAction = nullptr, *pViewer = nullptr;
    QWidget *pSpacer = nullptr, *pFilter = nullptr, *pStatus = nullptr;
    QLabel *lSource = nullptr, *lTarget = nullptr;
    QLineEdit *eSource = nullptr, *eTarget = nullptr;
    QCheckBox* cSubdir = nullptr;
    // Convert sits below Search and never changes meaning; Pause and Stop
    // have places of their own beside them.
    QPushButton *bSource = nullptr, *bSourceFile = nullptr, *bSearch = nullptr, *bTarget = nullptr, *bView = nullptr,
                *bSearchConvert = nullptr, *bCreate = nullptr, *bPause = nullptr, *bStop = nullptr;
    QTreeView* lViewer = nullptr;
    // The list's filter: All, Failed, Converted, Waiting, each with its count.
    QToolButton *fAll = nullptr, *fFailed = nullptr, *fConverted = nullptr, *fWaiting = nullptr;
    QLabel* lStatus = nullptr;
    QProgressBar* pbRun = nullptr;
    QMenu *pm1 = nullptr, *pm2 = nullptr;
    QAction *BrowseFiles1 = nullptr, *ViewSource1 = nullptr, *OpenSource1 = nullptr, *ViewOutput1 = nullptr,
            *ExportList1 = nullptr;
    // One action per command: caption, hint, icon and shortcuts live here,
    // buttons and menus only show them.
    QAction *aConvert = nullptr, *aStop = nullptr, *aPause = nullptr, *aSearch = nullptr, *aSearchConvert = nullptr,
            *aView = nullptr, *aOpen = nullptr, *aNew = nullptr, *aConfig = nullptr, *aSave = nullptr,
            *aSaveAs = nullptr, *aUpdate = nullptr, *aHelp = nullptr, *aHomePage = nullptr, *aSupports = nullptr,
            *aAbout = nullptr, *aOpenResult = nullptr, *aCopy = nullptr;

    // Run state (GUI thread only).
    std::unique_ptr<batch::TkvBatch> Batch;
    std::shared_ptr<convert::TkvWorkerChain> Workers;
    int32_t RunningWorkers = 0;
    bool StopRequested = false;
    bool DiscardBatch = false;
    bool WasShown = false;

    // Window operations.
    void UpdateTitle();
    void SetDefaultTarget(const std::string& folder);
    void NewBatch();
    void AddSourceFile(const std::string& path);
    void ExportList(const std::string& fileName);
    void OpenSelected(bool folderOnly);
    // The page of a converted row, or its source shown in the file manager
    // when it failed (double click, Enter, Open Result).
    void OpenRow(int batchRow);
    void OpenResultExecute();
    void CopyExecute();  // the selected rows as exported lines
    // Batch rows of the selected view rows, in the view's order.
    std::vector<int> SelectedRows() const;
    // A drop of `paths` onto `target` (the control under the drop point).
    void DropFiles(QWidget* target, const std::vector<std::string>& paths);
    void bSourceClick();
    void bSourceFileClick();
    void bTargetClick();
    void pm1Popup();
    void pm2Popup();
    void ExportList1Click();
    void aViewExecute();
    void aOpenExecute();
    void aNewExecute();
    void aConfigExecute();
    void aSaveExecute();
    void aSaveAsExecute();
    void aUpdateExecute();
    void aHelpExecute();
    void aHomePageExecute();
    void aSupportsExecute();
    void aAboutExecute();

    // Run control.
    void Search();
    void Convert();
    void SearchConvert();
    void Pause();
    void Stop();
    void OnFinish();
    void AutoRun();
    void AfterRun();
    bool IsRunning() const { return RunningWorkers > 0; }

    // The worker factory; tests put their own in place.
    using WorkerFactory = std::function<std::shared_ptr<convert::TkvWorkerChain>(
        batch::TkvBatch&, const std::string& targetFolder, batch::TkvNodeEvent onNodeDone)>;
    void SetWorkerFactory(WorkerFactory factory) { workerFactory_ = std::move(factory); }

    TkvResultModel* Model() const { return model_; }
    TkvResultFilter* View() const { return filter_; }
    void SetListFilter(TkvListFilter filter);
    QTimer& DaemonTimer() { return daemonTimer_; }
    QString StatusText() const;
    TkvRunPhase Phase() const { return phase_; }
    // Source or Sub folders changed since the list was made: Convert
    // searches again instead of converting files the user no longer names.
    bool ListIsStale() const;
    // What a second close during a run does: end the program at once. Tests
    // put a recorder in place.
    void SetQuitNow(std::function<void()> quit) { quitNow_ = std::move(quit); }
    // The options editor, created on first use.
    TkvFrmCfg* Cfg();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    void resizeEvent(QResizeEvent* e) override;

private:
    void CreateActions();
    // The window is built row by row, top to bottom; then the rows are tied
    // together.
    void CreateLayout();
    void CreateToolBar(QVBoxLayout* root);
    void CreateActionPanel(QVBoxLayout* root);  // the source and target rows
    void CreateSourceRow(QGridLayout* grid);
    void CreateTargetRow(QGridLayout* grid);
    void CreateFilterBar(QVBoxLayout* root);
    void CreateFileList(QVBoxLayout* root);
    void CreateStatusLine(QVBoxLayout* root);
    void CreateListMenu();
    void ConnectControls();
    void OrderTabs();
    void FitToolBar();
    void BindButton(QAbstractButton* button, QAction* action);
    void SetIdleButtons();
    void SetRunningButtons();
    bool DoSearch(bool fromConvert);
    bool ReduceTarget();
    // Reports an error that ends a run; an unattended run then ends the
    // program with an error.
    void EndUnattendedWithError(const std::string& message);
    void UpdateStatus();
    void UpdateFilterCounts();
    void MarkListFresh();
    void SetPhase(TkvRunPhase phase);
    void StartNextRunWait(int32_t pauseMs);
    void FocusUnlessUnattended(QWidget* w);
    void SaveLook();
    QWidget* DropTargetAt(const QPoint& pos) const;
    void RetireBatch();
    void WaitForWorkers(int timeoutMs);
    static void QuitProgramNow();

    TkvResultModel* model_ = nullptr;
    TkvResultFilter* filter_ = nullptr;
    QButtonGroup* filterGroup_ = nullptr;
    std::vector<std::unique_ptr<TkvQtPropertyHost>> hosts_;
    std::vector<std::unique_ptr<batch::TkvBatch>> retired_;  // dropped while workers may still touch them
    std::unique_ptr<TkvFrmCfg> cfg_;
    std::map<QAbstractButton*, std::vector<QMetaObject::Connection>> bindings_;
    WorkerFactory workerFactory_;
    convert::TkvRun run_{convert::TRunStyle::Window};  // the log, counters and error report of each run
    std::function<void()> quitNow_;
    QTimer daemonTimer_;
    QTimer statusTimer_;
    QTimer pumpTimer_;  // runs the workers' finish callbacks on this thread
    TkvQtDispatcher dispatcher_;
    QElapsedTimer elapsed_;
    qint64 elapsedMs_ = -1;  // frozen at the end of a run; -1 before the first
    int doneAtStart_ = 0;  // results the list held when the run started (a paused batch goes on)
    TkvRunPhase phase_ = TkvRunPhase::Idle;
    QString note_;  // a word on the last unattended cycle, shown in the status line
    // What the list was made from; the list is stale once these differ from
    // the boxes.
    QString listSource_;
    bool listSubdir_ = false;
    bool listFromSource_ = false;  // the list came from the boxes (a search, a choice or a drop)
    bool unattended_ = false;  // inside a cycle nobody started by hand: never move the focus
    bool closeAfterRun_ = false;
    bool lookRestored_ = false;
    bool destroying_ = false;  // set first thing in the destructor
};

extern TkvFrmMain* kvFrmMain;

}  // namespace ui
