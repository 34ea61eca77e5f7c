#pragma once
// What adb prints when it cannot reach the phone at all (no phone, several
// phones and none named, a phone that has not allowed debugging, one that
// went offline), and the reason the windows give the user for it. The install
// status and the listing's status share these reasons, so the user reads the
// same words whichever button met the fault.
#include <optional>
#include <string_view>

namespace nimbo {

inline constexpr const char* kReasonNotConnected = "请确认手机已经连接到电脑上";
inline constexpr const char* kReasonSeveralDevices = "连接了多台设备,请只保留一台手机";
inline constexpr const char* kReasonUnauthorized = "请在手机上允许USB调试";
inline constexpr const char* kReasonOffline = "手机处于离线状态,请重新插拔USB线";

// The reason for the first of adb's device complaints found in `output`
// ("error: no devices/emulators found", "error: device 'X' not found",
// "more than one device/emulator", "device unauthorized", "device offline");
// nullopt when there is none.
std::optional<const char*> AdbDeviceProblem(std::string_view output);

}  // namespace nimbo
