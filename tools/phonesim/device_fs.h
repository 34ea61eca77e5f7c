#pragma once
// The phone's file system: device paths live under the state folder, and no
// device path may reach outside it.
#include <filesystem>
#include <optional>
#include <string>

namespace nimbo::phonesim {

class DeviceFs {
public:
    explicit DeviceFs(std::filesystem::path root) : root_(std::move(root)) {}
    // The host path for a device path (relative ones start at "/"); nullopt
    // for a path that would climb out of the device's root.
    std::optional<std::filesystem::path> Map(const std::string& devicePath) const;
    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
};

}  // namespace nimbo::phonesim
