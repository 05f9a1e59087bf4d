// The main window as a drop target: files dropped on the path boxes or the
// list, decided by the control under the cursor.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include "platform/Text.h"
#include "project/TkvProject.h"
#include "ui/FrmMain.h"
#include "ui/ResultModel.h"

namespace ui {

QWidget* TkvFrmMain::DropTargetAt(const QPoint& pos) const {
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
        if (w == eSource || w == eTarget || w == lViewer) return w;
        // Only the list's own area counts, not the buttons or panels around it.
        if (w == pAction || w == ToolBar || w == pViewer || w == pFilter || w == pStatus) return nullptr;
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
        if (i + 1 == n) MarkListFresh();
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

}  // namespace ui
