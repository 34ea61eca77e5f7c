#include "ui/dialog_link.h"

#include <condition_variable>

#include "ui/dialog.h"
#include "ui/dialog_peer.h"
#include "ui/ui_thread.h"

namespace nimbo::ui {

struct DialogLink::Job {
    std::function<void()> fn;
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    bool ran = false;

    void Finish(bool hasRun) {
        std::lock_guard lock(mutex);
        done = true;
        ran = hasRun;
        cv.notify_all();
    }
};

bool DialogLink::Alive() const {
    std::lock_guard lock(mutex_);
    return dialog_ != nullptr;
}

int DialogLink::Waiting() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(waiting_.size());
}

bool DialogLink::RunOnUiThread(const std::function<void()>& fn) {
    if (OnUiThread()) {
        if (!Alive()) return false;
        fn();
        return true;
    }
    auto job = std::make_shared<Job>();
    job->fn = fn;
    {
        // Held while the peer is woken: the window cannot go meanwhile, and if
        // it goes afterwards Cut() lets this caller go.
        std::lock_guard lock(mutex_);
        if (!dialog_) return false;
        waiting_.push_back(job);
        // Without an application object nothing would ever run the call: it
        // is refused at once, and never run on this thread instead.
        if (!dialog_->Peer().WakeLink()) {
            waiting_.pop_back();
            return false;
        }
    }
    std::unique_lock jl(job->mutex);
    job->cv.wait(jl, [&] { return job->done; });
    return job->ran;
}

void DialogLink::RunWaiting() {
    std::deque<std::shared_ptr<Job>> jobs;
    {
        std::lock_guard lock(mutex_);
        jobs.swap(waiting_);
    }
    for (const auto& job : jobs) {
        // An earlier call may have closed the window.
        const bool alive = Alive();
        if (alive) job->fn();
        job->Finish(alive);
    }
}

void DialogLink::Cut() {
    std::deque<std::shared_ptr<Job>> released;
    {
        std::lock_guard lock(mutex_);
        dialog_ = nullptr;
        released.swap(waiting_);
    }
    for (const auto& job : released) job->Finish(false);
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
