#include "ui/QtDispatcher.h"

#include <QCoreApplication>
#include <QThread>

#include "ui/FrmBase.h"

void TkvQtDispatcher::RunOnMainThreadAndWait(const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        Guarded(fn);
        return;
    }
    // An error must not unwind into the event loop of another thread.
    QMetaObject::invokeMethod(app, [&fn] { Guarded(fn); }, Qt::BlockingQueuedConnection);
}
