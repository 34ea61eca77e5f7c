#include "adbtool/adb_device_errors.h"

#include <array>
#include <utility>

namespace nimbo {
namespace {

bool Contains(std::string_view text, std::string_view marker) {
    return text.find(marker) != std::string_view::npos;
}

// adb 29 names the missing serial: "error: device 'emulator-5556' not found".
bool NamedDeviceMissing(std::string_view output) {
    constexpr std::string_view kStart = "device '";
    constexpr std::string_view kEnd = "' not found";
    for (size_t at = output.find(kStart); at != std::string_view::npos;
         at = output.find(kStart, at + 1)) {
        const size_t lineEnd = output.find('\n', at);
        const std::string_view line = output.substr(at, lineEnd - at);
        if (Contains(line, kEnd)) return true;
    }
    return false;
}

}  // namespace

std::optional<const char*> AdbDeviceProblem(std::string_view output) {
    static constexpr std::array<std::pair<std::string_view, const char*>, 5> kMarkers = {{
        {"device not found", kReasonNotConnected},
        {"no devices/emulators found", kReasonNotConnected},
        {"more than one device/emulator", kReasonSeveralDevices},
        {"device unauthorized", kReasonUnauthorized},
        {"device offline", kReasonOffline},
    }};
    for (const auto& [marker, reason] : kMarkers) {
        if (Contains(output, marker)) return reason;
    }
    if (NamedDeviceMissing(output)) return kReasonNotConnected;
    return std::nullopt;
}

}  // namespace nimbo
