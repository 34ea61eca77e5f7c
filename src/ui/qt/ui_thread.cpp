// The window thread is the thread of the QApplication object; once that
// object is gone there is no window thread.
#include "ui/ui_thread.h"

#include <QCoreApplication>
#include <QThread>

namespace nimbo::ui {

bool OnUiThread() {
    // Without the application object no thread is the window thread: a
    // worker asking then must not take itself for it and run window code.
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace nimbo::ui
