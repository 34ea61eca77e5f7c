#include "adbtool/worker_runtime.h"

#include <iterator>
#include <string>
#include <system_error>
#include <utility>

namespace nimbo {

WorkerRuntime::WorkerRuntime(LogSink log) : log_(std::move(log)) {}

WorkerRuntime::~WorkerRuntime() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_.request_stop();
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return counts_.running == 0; });
    }
    Reap();
}

bool WorkerRuntime::Start(std::function<void(std::stop_token)> work) {
    return StartWork(std::move(work), false);
}

bool WorkerRuntime::StartBackground(std::function<void(std::stop_token)> work) {
    return StartWork(std::move(work), true);
}

bool WorkerRuntime::StartWork(std::function<void(std::stop_token)> work, bool background) {
    Reap();
    std::string failure;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return false;
        const auto worker = workers_.emplace(workers_.end());
        ++counts_.running;
        if (background) ++counts_.background;
        try {
            // The thread's last step takes the lock, so it cannot mark itself
            // returned before its std::thread has been stored below.
            worker->thread = std::thread([this, worker, work = std::move(work),
                                          stop = stop_.get_token(), background]() mutable {
                work(stop);
                // What the work holds (a window's view, say) goes before the
                // worker counts as returned.
                work = nullptr;
                std::lock_guard done(mutex_);
                worker->returned = true;
                --counts_.running;
                if (background) --counts_.background;
                ++counts_.finished;
                idle_.notify_all();
            });
            return true;
        } catch (const std::system_error& e) {
            workers_.erase(worker);
            --counts_.running;
            if (background) --counts_.background;
            failure = e.what();
        }
    }
    if (log_) log_("cannot start a worker thread: " + failure);
    return false;
}

WorkerRuntime::Counts WorkerRuntime::Workers() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

bool WorkerRuntime::StopAndJoin(std::chrono::milliseconds bound) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    // Runs the workers' stop callbacks on this thread: their adb children are
    // killed and their waits end. Not under our lock, which the workers need
    // to return.
    stop_.request_stop();
    return WaitUntilIdle(bound, true);
}

bool WorkerRuntime::WaitIdle(std::chrono::milliseconds bound) {
    return WaitUntilIdle(bound, false);
}

bool WorkerRuntime::WaitUntilIdle(std::chrono::milliseconds bound, bool withBackground) {
    bool idle = false;
    {
        std::unique_lock lock(mutex_);
        idle = idle_.wait_for(lock, bound, [this, withBackground] {
            return counts_.running - (withBackground ? 0 : counts_.background) == 0;
        });
    }
    Reap();
    return idle;
}

void WorkerRuntime::Reap() {
    std::list<Worker> returned;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            const auto next = std::next(it);
            if (it->returned) returned.splice(returned.end(), workers_, it);
            it = next;
        }
    }
    // Joined outside the lock: a returned thread has at most its own end left
    // to run, and takes no lock for it.
    for (Worker& worker : returned) worker.thread.join();
}

}  // namespace nimbo
