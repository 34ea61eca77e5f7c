#include "ui/qt/dialog_link.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "ui/qt/dialog.h"

namespace nimbo::ui {

struct DialogLink::Job {
    std::function<void()> fn;
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
};

bool DialogLink::Alive() const {
    std::lock_guard lock(mutex_);
    return dialog_ != nullptr;
}

void DialogLink::RunOnUiThread(const std::function<void()>& fn) {
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        if (Alive()) fn();
        return;
    }
    auto job = std::make_shared<Job>();
    job->fn = fn;
    {
        std::lock_guard lock(mutex_);
        if (!dialog_) return;
        pending_.insert(job);
        auto self = shared_from_this();
        // Queued to the dialog object: if the dialog dies first, Qt drops the
        // call and Cut() releases the waiting worker instead.
        QMetaObject::invokeMethod(
            dialog_,
            [self, job] {
                {
                    std::lock_guard lock(self->mutex_);
                    if (!self->pending_.erase(job)) return;  // already released by Cut()
                }
                job->fn();
                std::lock_guard jl(job->mutex);
                job->done = true;
                job->cv.notify_all();
            },
            Qt::QueuedConnection);
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
    for (const auto& job : released) {
        std::lock_guard jl(job->mutex);
        job->done = true;
        job->cv.notify_all();
    }
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
