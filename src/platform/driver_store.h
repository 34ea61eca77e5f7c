#pragma once
// The system's driver store. Windows keeps drivers in a store that
// SetupCopyOEMInf fills; Linux has no such store and drives phones with its
// own kernel support, so there nothing is installed and the user only needs a
// udev rule (which the driver subsystem explains).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace nimbo::platform {

class DriverStore {
public:
    virtual ~DriverStore() = default;
    // False where the system has no driver store (Linux).
    virtual bool HasStore() const = 0;
    // Places the package whose setup information file is given: 0, or the
    // system's last-error value (setup errors have the top bit set).
    virtual std::uint32_t Install(const std::filesystem::path& setupInfo) = 0;
};

// This system's store.
std::unique_ptr<DriverStore> MakeDriverStore();

// The store call of a system that has one (SetupCopyOEMInf, path source, copy
// if newer): 0 or the last-error value.
using OemInfCopier = std::function<std::uint32_t(const std::string& setupInfo)>;

// A store built on such a call. Without a call it answers as an unsupported
// function would (1).
std::unique_ptr<DriverStore> MakeOemInfDriverStore(OemInfCopier copy);

}  // namespace nimbo::platform
