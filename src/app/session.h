#pragma once
// What one run of the program keeps besides its windows: the worker threads
// and the state the package list and the screenshot windows carry from one
// click to the next. The application owns the session and hands each window
// what it needs by reference; nothing of it lives in globals, so a test
// builds a session of its own.
#include <chrono>

#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"
#include "capture/capture_state.h"
#include "packages/packages_state.h"

namespace nimbo {

struct Session {
    PackagesState packages;
    CaptureState capture;
    // Workers hold references to packages (and to the application's runner,
    // launcher and shell): the application stops and joins them before any
    // of those goes. Declared last, so that the session's own destructor
    // (last member first) joins them too before packages goes.
    WorkerRuntime workers;
};

// The session's end, once its windows are gone: stops the workers and joins
// them within `bound`, then returns exitCode. When one is still running then,
// it says so once through log and ends the process at once with exitCode,
// without running destructors (std::_Exit).
int EndSession(Session& session, std::chrono::milliseconds bound, int exitCode,
               const LogSink& log = StderrLog());

}  // namespace nimbo
