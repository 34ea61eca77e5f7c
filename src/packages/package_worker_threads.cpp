#include "packages/package_worker_threads.h"

#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace nimbo {
namespace {

std::mutex countsMutex;
PackageWorkerCounts counts;

void Finished() {
    std::lock_guard lock(countsMutex);
    --counts.running;
    ++counts.finished;
}

}  // namespace

bool StartPackageWorker(std::function<void()> work) {
    {
        std::lock_guard lock(countsMutex);
        ++counts.running;
    }
    try {
        std::thread([work = std::move(work)] {
            work();
            Finished();
        }).detach();
        return true;
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "nimbo: cannot start a package thread: %s\n", e.what());
        std::lock_guard lock(countsMutex);
        --counts.running;
        return false;
    }
}

PackageWorkerCounts PackageWorkers() {
    std::lock_guard lock(countsMutex);
    return counts;
}

}  // namespace nimbo
