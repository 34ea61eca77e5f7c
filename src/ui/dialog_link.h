#pragma once
// The thread-safe way into a window's controls. Workers keep a shared_ptr to
// the link; the window cuts it when it is destroyed, after which every call is
// a no-op, so a worker that outlives its window never touches freed objects.
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "ui/dialog_items.h"

namespace nimbo::ui {

class Dialog;

class DialogLink final : public DialogItems, public std::enable_shared_from_this<DialogLink> {
public:
    explicit DialogLink(Dialog* dialog) : dialog_(dialog) {}

    void SetDlgItemText(int id, const std::string& text) override;
    std::string GetDlgItemText(int id) override;
    void RunOnUiThread(const std::function<void()>& fn) override;

    // Called by the window's destructor on the window thread.
    void Cut();
    bool Alive() const;

private:
    struct Job;
    Dialog* dialog_;
    mutable std::mutex mutex_;
    std::set<std::shared_ptr<Job>> pending_;
};

}  // namespace nimbo::ui
