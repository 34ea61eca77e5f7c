#pragma once
// The window thread as the kit's backend runs it. Implemented by the backend;
// a call from another thread reaches it through a window's link
// (dialog_link.h).
namespace nimbo::ui {

// True on the thread that owns the windows; false on every thread while
// there is no window system (before it is made, after it is gone).
bool OnUiThread();

}  // namespace nimbo::ui
