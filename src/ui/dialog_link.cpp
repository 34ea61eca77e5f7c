#include "ui/dialog_link.h"

#include <condition_variable>

#include "ui/dialog.h"
#include "ui/ui_thread.h"

namespace nimbo::ui {

struct DialogLink::Job {
    std::function<void()> fn;
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;

    void Finish() {
        std::lock_guard lock(mutex);
        done = true;
        cv.notify_all();
    }
};

bool DialogLink::Alive() const {
    std::lock_guard lock(mutex_);
    return dialog_ != nullptr;
}

void DialogLink::RunOnUiThread(const std::function<void()>& fn) {
    if (OnUiThread()) {
        if (Alive()) fn();
        return;
    }
    auto job = std::make_shared<Job>();
    job->fn = fn;
    {
        std::lock_guard lock(mutex_);
        if (!dialog_) return;
        pending_.insert(job);
    }
    // If the window goes first, Cut() releases the waiting worker and the
    // queued call finds its job gone.
    const bool queued = PostToUiThread([self = shared_from_this(), job] {
        {
            std::lock_guard lock(self->mutex_);
            if (!self->pending_.erase(job)) return;  // already released by Cut()
        }
        job->fn();
        job->Finish();
    });
    if (!queued) {
        std::lock_guard lock(mutex_);
        if (pending_.erase(job)) job->Finish();
    }
    std::unique_lock jl(job->mutex);
    job->cv.wait(jl, [&] { return job->done; });
}

void DialogLink::Cut() {
    std::set<std::shared_ptr<Job>> released;
    {
        std::lock_guard lock(mutex_);
        dialog_ = nullptr;
        released.swap(pending_);
    }
    for (const auto& job : released) job->Finish();
}

void DialogLink::SetDlgItemText(int id, const std::string& text) {
    RunOnUiThread([this, id, &text] {
        if (dialog_) dialog_->SetItemTextNow(id, text);
    });
}

std::string DialogLink::GetDlgItemText(int id) {
    std::string result;
    RunOnUiThread([this, id, &result] {
        if (dialog_) result = dialog_->ItemTextNow(id);
    });
    return result;
}

}  // namespace nimbo::ui
