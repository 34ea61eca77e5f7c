#pragma once
// The detached threads that list and export packages. They are never joined,
// as the window's workers never are; the counts let a test (or a shutdown)
// wait until none of them uses the runner any more.
#include <functional>

namespace nimbo {

struct PackageWorkerCounts {
    int running = 0;
    int finished = 0;
};

// Runs work on a new detached thread, counted as running from before the
// thread exists until work returns. False when no thread could be made (work
// never runs).
bool StartPackageWorker(std::function<void()> work);

PackageWorkerCounts PackageWorkers();

}  // namespace nimbo
