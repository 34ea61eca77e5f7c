#pragma once
// Text access to a window's controls by id, callable from any thread. Off the
// UI thread a call waits until the UI thread has carried it out, as a window
// message would; once the window or the application object is gone every call
// is a no-op (reads give ""), and nothing runs on the caller's own thread.
#include <functional>
#include <string>

namespace nimbo::ui {

class DialogItems {
public:
    virtual ~DialogItems() = default;
    virtual void SetDlgItemText(int id, const std::string& text) = 0;
    virtual std::string GetDlgItemText(int id) = 0;
    // Runs fn on the UI thread and waits for it; true when fn ran. False, with
    // fn skipped, once the window or the application object is gone, or when
    // the window goes while the call waits.
    virtual bool RunOnUiThread(const std::function<void()>& fn) = 0;
};

}  // namespace nimbo::ui
