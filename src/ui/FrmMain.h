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

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;

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
    QWidget *pSource = nullptr, *pTarget = nullptr, *pOthers = nullptr, *pSpacer = nullptr;
    QLineEdit *eSource = nullptr, *eTarget = nullptr;
    QCheckBox* cSubdir = nullptr;
    QPushButton *bSource = nullptr, *bSourceFile = nullptr, *bSearch = nullptr, *bTarget = nullptr, *bView = nullptr,
                *bSearchConvert = nullptr, *bCreate = nullptr;
    QTreeView* lViewer = nullptr;
    QLabel* lStatus = nullptr;
    QMenu *pm1 = nullptr, *pm2 = nullptr;
    QAction *BrowseFiles1 = nullptr, *ViewSource1 = nullptr, *OpenSource1 = nullptr, *ViewOutput1 = nullptr,
            *ExportList1 = nullptr;
    QAction *aConvert = nullptr, *aStop = nullptr, *aPause = nullptr, *aSearch = nullptr, *aSearchConvert = nullptr,
            *aView = nullptr, *aOpen = nullptr, *aNew = nullptr, *aConfig = nullptr, *aSave = nullptr,
            *aSaveAs = nullptr, *aUpdate = nullptr, *aHelp = nullptr, *aHomePage = nullptr, *aSupports = nullptr,
            *aAbout = nullptr;

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
    QTimer& DaemonTimer() { return daemonTimer_; }
    QString StatusText() const;
    // The options editor, created on first use.
    TkvFrmCfg* Cfg();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void CreateActions();
    // The window is built row by row, top to bottom; then the rows are tied
    // together.
    void CreateLayout();
    void CreateToolBar(QVBoxLayout* root);
    void CreateActionPanel(QVBoxLayout* root);  // the source and target rows
    void CreateSourceRow();
    void CreateTargetRow();
    void CreateFileList(QVBoxLayout* root);
    void CreateStatusLine(QVBoxLayout* root);
    void CreateListMenu();
    void ConnectControls();
    void OrderTabs();
    void BindButton(QAbstractButton* button, QAction* action);
    void SetIdleButtons();
    void SetRunningButtons();
    bool DoSearch(bool fromConvert);
    bool ReduceTarget();
    // Reports an error that ends a run; an unattended run then ends the
    // program with an error.
    void EndUnattendedWithError(const std::string& message);
    void UpdateStatus();
    QWidget* DropTargetAt(const QPoint& pos) const;
    void RetireBatch();
    void WaitForWorkers(int timeoutMs);

    TkvResultModel* model_ = nullptr;
    std::vector<std::unique_ptr<TkvQtPropertyHost>> hosts_;
    std::vector<std::unique_ptr<batch::TkvBatch>> retired_;  // dropped while workers may still touch them
    std::unique_ptr<TkvFrmCfg> cfg_;
    std::map<QAbstractButton*, std::vector<QMetaObject::Connection>> bindings_;
    WorkerFactory workerFactory_;
    convert::TkvRun run_{convert::TRunStyle::Window};  // the log, counters and error report of each run
    QTimer daemonTimer_;
    QTimer statusTimer_;
    QTimer pumpTimer_;  // runs the workers' finish callbacks on this thread
    TkvQtDispatcher dispatcher_;
    QElapsedTimer elapsed_;
    qint64 elapsedMs_ = -1;  // frozen at the end of a run; -1 before the first
    bool closeAfterRun_ = false;
    bool destroying_ = false;  // set first thing in the destructor
};

extern TkvFrmMain* kvFrmMain;

}  // namespace ui
