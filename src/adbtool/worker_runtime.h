#pragma once
// The threads that run adb for the windows (installs, package listings,
// exports). One runtime per program run, owned by the application and handed
// to the windows; every worker gets the runtime's stop token and passes it to
// RunCommand and to every wait it does, so a stop ends its adb child and lets
// it return.
//
//   workers.Start([view, &runner](std::stop_token stop) { Work(view, runner, stop); });
//   ...
//   window.reset();                 // cuts the window's link first
//   workers.StopAndJoin(2s);        // then ends every worker before runner goes
//
// Threads are joined, never detached: a finished thread is joined at the next
// Start or wait, the rest by StopAndJoin or the destructor.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <stop_token>
#include <thread>

#include "adbtool/command_runner.h"

namespace nimbo {

class WorkerRuntime {
public:
    struct Counts {
        int running = 0;     // started and not yet returned
        int finished = 0;    // returned since the runtime was made
        int background = 0;  // of those running, the ones that run until stopped
        int Foreground() const { return running - background; }
    };

    // log receives one line per thread that could not be made.
    explicit WorkerRuntime(LogSink log = StderrLog());
    // Requests stop and waits for every worker, however long that takes. A
    // program that cannot wait calls StopAndJoin with a bound first and, when
    // that fails, ends without running destructors.
    ~WorkerRuntime();
    WorkerRuntime(const WorkerRuntime&) = delete;
    WorkerRuntime& operator=(const WorkerRuntime&) = delete;

    // Runs work on a new thread, counted as running from before the thread
    // exists until work returns. False, and work never runs, when no thread
    // could be made (logged) or once a stop was requested (the program is
    // ending; nothing is logged).
    bool Start(std::function<void(std::stop_token)> work);
    // The same for work that runs until the stop (a watch on the device
    // list): counted apart, so WaitIdle does not wait for it; StopAndJoin
    // and the destructor do.
    bool StartBackground(std::function<void(std::stop_token)> work);

    Counts Workers() const;

    // Requests stop on every worker, then waits until all have returned or
    // the bound has passed, and joins the threads that returned. True when
    // none is left running. Later Starts are refused.
    bool StopAndJoin(std::chrono::milliseconds bound);
    // Waits, without stopping anything, until no worker runs (background work
    // aside) or the bound has passed; true when none runs. For tests.
    bool WaitIdle(std::chrono::milliseconds bound);

private:
    struct Worker {
        std::thread thread;
        bool returned = false;
    };

    bool StartWork(std::function<void(std::stop_token)> work, bool background);
    bool WaitUntilIdle(std::chrono::milliseconds bound, bool withBackground);
    // Joins the threads whose work has returned.
    void Reap();

    LogSink log_;
    std::stop_source stop_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::list<Worker> workers_;
    Counts counts_;
    bool stopping_ = false;
};

}  // namespace nimbo
