#pragma once
// The window thread as the kit's backend runs it. Implemented by the backend.
#include <functional>

namespace nimbo::ui {

// True on the thread that owns the windows.
bool OnUiThread();
// Queues fn to run on the window thread and returns at once; false when it
// cannot be queued because the window system is gone (fn is then dropped).
bool PostToUiThread(std::function<void()> fn);

}  // namespace nimbo::ui
