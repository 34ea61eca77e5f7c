#include "device_fs.h"

#include <vector>

namespace nimbo::phonesim {

std::optional<std::filesystem::path> DeviceFs::Map(const std::string& devicePath) const {
    if (devicePath.find('\0') != std::string::npos) return std::nullopt;
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= devicePath.size()) {
        size_t slash = devicePath.find('/', at);
        if (slash == std::string::npos) slash = devicePath.size();
        std::string part = devicePath.substr(at, slash - at);
        at = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::filesystem::path out = root_;
    for (const auto& p : parts) out /= p;
    return out;
}

}  // namespace nimbo::phonesim
