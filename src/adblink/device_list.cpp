#include "adblink/device_list.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace nimbo {

namespace {
std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
}  // namespace

DeviceKind ClassifyDevice(std::string_view serial) {
    const std::string lower = ToLowerAscii(serial);
    if (lower.find("unknow") != std::string::npos) return DeviceKind::UnknownDevice;
    if (lower.find("emulator") != std::string::npos) return DeviceKind::Emulator;
    return DeviceKind::RealDevice;
}

const char* DeviceKindText(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::UnknownDevice:
            return "未知";
        case DeviceKind::Emulator:
            return "模拟器";
        case DeviceKind::RealDevice:
            return "真机";
    }
    return "未知";
}

std::vector<DeviceRow> ParseDeviceListReply(std::string_view reply) {
    std::vector<DeviceRow> rows;
    size_t start = 0;
    for (bool first = true;; first = false) {
        const size_t lf = reply.find('\n', start);
        if (lf == std::string_view::npos) break;  // an unterminated last line is not listed
        std::string_view line = reply.substr(start, lf - start);
        start = lf + 1;
        if (first) line.remove_prefix(std::min<size_t>(4, line.size()));  // length digits
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        DeviceRow row;
        row.serial = std::string(line.substr(0, tab));
        const DeviceKind kind = ClassifyDevice(row.serial);
        row.numberText = std::to_string(rows.size() + 1);
        row.kindImage = static_cast<int>(kind);
        row.kindText = DeviceKindText(kind);
        rows.push_back(std::move(row));
    }
    return rows;
}

Result<std::vector<DeviceRow>, DeviceListError> FetchDeviceList(const AdbEndpoint& endpoint) {
    AdbHostConnection conn(endpoint);
    conn.Open();
    if (!conn.SendRequest(DevicesRequest(), Framing::LowerHex)) {
        const auto why = conn.LastError();
        if (why == platform::NetError::Refused) return Err{DeviceListError::NoServer};
        if (why == platform::NetError::TimedOut) return Err{DeviceListError::TimedOut};
        return Err{DeviceListError::Failed};
    }
    if (!conn.ReadStatus()) {
        const bool silent = conn.LastError() == platform::NetError::TimedOut;
        return Err{silent ? DeviceListError::TimedOut : DeviceListError::Rejected};
    }
    std::string reply = conn.ReadReply();
    // Silence after "OKAY" is a silent server, not an empty list: start-up
    // reads an empty list again, and a silent server would hold the window
    // on every read.
    if (reply.empty() && conn.LastError() == platform::NetError::TimedOut) {
        return Err{DeviceListError::TimedOut};
    }
    conn.Close();
    return ParseDeviceListReply(reply);
}

}  // namespace nimbo
