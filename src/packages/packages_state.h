#pragma once
// What the package list keeps from one click to the next for as long as the
// program runs: the number of the latest listing, the folder of the latest
// export and the order in which exports take their turns. The application
// owns one and hands it to the package panel; the workers get it by
// reference and never outlive it (the session's runtime is joined first).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>

namespace nimbo {

// Exports take turns by ticket, in the order they were asked for. A ticket
// whose export never ran (no thread, or stopped while it waited) is given
// back with Done all the same, so the ones behind it are not held up.
class ExportTurns {
public:
    uint64_t Take();
    // Waits until the ticket is served or stop is requested. Served is true
    // when the turn came, waited when an earlier export had to end first.
    struct Wait {
        bool served = false;
        bool waited = false;
    };
    Wait WaitFor(uint64_t ticket, std::stop_token stop);
    void Done(uint64_t ticket);

private:
    std::mutex mutex_;
    // _any: the wait ends on the stop token as well.
    std::condition_variable_any cv_;
    uint64_t next_ = 0;
    uint64_t serving_ = 0;
    std::set<uint64_t> abandoned_;
};

class PackagesState {
public:
    // Listings are numbered on the UI thread; a worker's rows go in only while
    // its number is still the latest (read on the UI thread too; atomic
    // because a test may read it from elsewhere).
    uint64_t BeginListing() { return ++latestListing_; }
    bool IsLatestListing(uint64_t listing) const { return listing == latestListing_; }
    uint64_t LatestListing() const { return latestListing_; }

    // The folder chosen for the latest export (empty before the first).
    std::string ExportFolder() const;
    void SetExportFolder(std::string folder);

    ExportTurns& Turns() { return turns_; }

private:
    std::atomic<uint64_t> latestListing_{0};
    mutable std::mutex folderMutex_;
    std::string exportFolder_;
    ExportTurns turns_;
};

}  // namespace nimbo
