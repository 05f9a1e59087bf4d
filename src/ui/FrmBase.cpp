#include "ui/FrmBase.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <exception>
#include <functional>

#include "info/TkvInfo.h"

namespace ui {

TkvFrmBase::TkvFrmBase(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    resize(1200, 600);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TkvFrmBase::CenterOnScreen() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
}

void TkvFrmBase::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    if (CenterOnShow) CenterOnScreen();
    QPointer<TkvFrmBase> self(this);
    QEventLoop loop;
    connect(this, &TkvFrmBase::Closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    show();
    if (isVisible()) loop.exec(QEventLoop::DialogExec);
    if (self) setWindowModality(Qt::NonModal);
}

void TkvFrmBase::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (e->isAccepted()) emit Closed();
}

void ReportAppError(const std::string& message) {
    if (!info::kvInfo) return;
    try {
        info::kvInfo->HandleAppException(message);
    } catch (...) {
        // the handler itself failing must not take the window down
    }
}

void ShowWriteError(QWidget* owner, const QString& action, const std::string& path, const std::string& reason) {
    QMessageBox box(QMessageBox::Warning, action,
                    QStringLiteral("Could not write \"%1\".").arg(QString::fromStdString(path)), QMessageBox::Ok,
                    owner);
    box.setObjectName(QStringLiteral("writeError"));
    box.setInformativeText(QString::fromStdString(reason));
    box.exec();
}

void Guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ReportAppError(e.what());
    } catch (...) {
        ReportAppError("Unknown error");
    }
}

}  // namespace ui
