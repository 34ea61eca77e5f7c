#pragma once
// The USB driver package: written into the driver folder on request, then
// handed to the platform's driver store (on Linux: the udev rule notice).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "adbtool/payloads.h"
#include "platform/driver_store.h"
#include "platform/paths.h"

namespace nimbo {

// Our own resource beside the numbered payloads (see payloads.cmake): the
// udev rule that lets the logged-in user open Android phones' USB devices.
inline constexpr int kUdevRulesResourceId = 161;
inline constexpr const char* kUdevRulesFileName = "51-android.rules";
inline constexpr const char* kSetupInfoFileName = "android_winusb.inf";

// What the package writer left on disk.
struct DriverPackage {
    std::filesystem::path folder;     // the package folder
    std::filesystem::path setupInfo;  // its setup information file (.inf)
    std::filesystem::path udevRules;  // the device access rule file
    // File names (relative to folder) that could not be written; empty when
    // the whole package is on disk.
    std::vector<std::string> failed;

    bool Complete() const { return failed.empty(); }
};

// How the button talks to the user: one message box (text, caption).
using ShowMessage = std::function<void(const std::string& text, const std::string& caption)>;

// The texts of a system with a driver store.
inline constexpr const char* kUnsignedDriverNotice =
    "驱动文件已经释放到您电脑D盘的android_usb_windows文件夹中,由于Android驱动没有通过微软WHQL"
    "安全认证,请单击是继续安装";
inline constexpr const char* kUnsignedDriverNoticeCaption = "提示";
inline constexpr const char* kDriverInstalledMessage =
    "驱动已经成功安装，请重新插拔手机如果仍然出现错误可以尝试重启电脑顺利安装";
// "错误代码 %d": the last-error value printed as a signed 32-bit number.
std::string DriverStoreErrorText(std::uint32_t lastError);
// Where there is no store: where the files are and how to install the udev
// rule, or which files could not be written.
std::string UdevRuleMessage(const DriverPackage& package);

// Creates the package folder, writes payloads 4 and 5, creates i386, writes
// payloads 6, 7 and 8, then the udev rule file. Every file is rewritten from
// scratch; a folder or file that cannot be made does not stop the rest, and
// is listed in the result.
DriverPackage WriteUsbDriverPackage(
    const platform::Paths& paths, PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

// The whole button: writes the package, then installs it in the store and
// tells the user (message boxes captioned appName). With a store, a notice
// that the driver is unsigned comes first (the system's own warning follows
// and must be answered with Yes); it is shown even when files are missing,
// and the store call's error code then tells the user.
void InstallUsbDriverPackage(const platform::Paths& paths, platform::DriverStore& store,
                             const ShowMessage& show, const std::string& appName,
                             PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

}  // namespace nimbo
