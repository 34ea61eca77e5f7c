#include "packages/packages_state.h"

#include <utility>

namespace nimbo {

uint64_t ExportTurns::Take() {
    std::lock_guard lock(mutex_);
    return next_++;
}

ExportTurns::Wait ExportTurns::WaitFor(uint64_t ticket, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    Wait wait;
    wait.waited = serving_ != ticket;
    wait.served = cv_.wait(lock, stop, [&] { return serving_ == ticket; });
    return wait;
}

void ExportTurns::Done(uint64_t ticket) {
    std::lock_guard lock(mutex_);
    if (ticket == serving_) {
        ++serving_;
    } else {
        abandoned_.insert(ticket);
    }
    while (abandoned_.erase(serving_)) ++serving_;
    cv_.notify_all();
}

std::string PackagesState::ExportFolder() const {
    std::lock_guard lock(folderMutex_);
    return exportFolder_;
}

void PackagesState::SetExportFolder(std::string folder) {
    std::lock_guard lock(folderMutex_);
    exportFolder_ = std::move(folder);
}

}  // namespace nimbo
