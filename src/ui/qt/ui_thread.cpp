// The window thread is the thread of the QApplication object; once that
// object is gone there is no window thread and nothing can be queued to it.
#include "ui/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace nimbo::ui {

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool PostToUiThread(std::function<void()> fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    return QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

}  // namespace nimbo::ui
