// The window thread is the thread that started the window system
// (win::StartWindowSystem, from wWinMain); before that and after it stops,
// no thread is.
#include <windows.h>

#include <atomic>

#include "ui/ui_thread.h"
#include "ui/win/window_system.h"

namespace nimbo::ui {
namespace {

std::atomic<DWORD> windowThread{0};

}  // namespace

bool OnUiThread() {
    DWORD id = windowThread.load();
    return id != 0 && id == GetCurrentThreadId();
}

namespace win {

void MarkWindowThread(bool running) {
    windowThread.store(running ? GetCurrentThreadId() : 0);
}

}  // namespace win
}  // namespace nimbo::ui
