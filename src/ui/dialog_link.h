#pragma once
// The thread-safe way into a window's controls. Workers keep a shared_ptr to
// the link; the window cuts it when it is destroyed, after which every call is
// a no-op, so a worker that outlives its window never touches freed objects.
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ui/dialog_items.h"

namespace nimbo::ui {

class Dialog;

class DialogLink final : public DialogItems, public std::enable_shared_from_this<DialogLink> {
public:
    explicit DialogLink(Dialog* dialog) : dialog_(dialog) {}

    void SetDlgItemText(int id, const std::string& text) override;
    std::string GetDlgItemText(int id) override;
    bool RunOnUiThread(const std::function<void()>& fn) override;

    // Called by the window's destructor on the window thread; lets every
    // caller still waiting go, with false.
    void Cut();
    bool Alive() const;
    // Runs the calls waiting for the window thread, in the order they came;
    // on the window thread, when the window's peer has been woken.
    void RunWaiting();
    // How many callers wait for the window thread right now (tests).
    int Waiting() const;

private:
    struct Job;
    Dialog* dialog_;
    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<Job>> waiting_;
};

}  // namespace nimbo::ui
