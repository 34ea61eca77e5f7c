#pragma once
// Handing the written USB driver package to the platform. Windows keeps
// drivers in a store that SetupCopyOEMInf fills; Linux has no such store and
// drives phones with its own kernel support, so there the user only needs a
// udev rule that gives the logged-in user access to the phone's USB device.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace nimbo::platform {

// What the driver package writer left on disk.
struct DriverPackage {
    std::filesystem::path folder;     // the package folder
    std::filesystem::path setupInfo;  // its setup information file (.inf)
    std::filesystem::path udevRules;  // the device access rule file
    // File names (relative to folder) that could not be written; empty when
    // the whole package is on disk.
    std::vector<std::string> failed;

    bool Complete() const { return failed.empty(); }
};

class DriverStore {
public:
    virtual ~DriverStore() = default;
    // Installs the package as far as the platform allows and tells the user
    // how it went. appName is the caption of the closing message box.
    virtual void InstallPackage(const DriverPackage& package, Dialogs& dialogs,
                                const std::string& appName) = 0;
};

// This platform's store. On Linux: one message box that says where the files
// are and how to install the udev rule, or which files could not be written.
std::unique_ptr<DriverStore> MakeDriverStore();

// The store call of a platform that has one: places the package whose setup
// information file is given and returns 0, or returns the platform's last-error
// value (setup errors have the top bit set).
using OemInfCopier = std::function<std::uint32_t(const std::string& setupInfo)>;

// A store built on such a call: a notice that the driver is unsigned and the
// platform will warn about it, the call, then a success message or the error
// code. The notice is shown even when files are missing; the call then fails
// and its error code tells the user.
std::unique_ptr<DriverStore> MakeOemInfDriverStore(OemInfCopier copy);

// The texts of that store.
inline constexpr const char* kUnsignedDriverNotice =
    "驱动文件已经释放到您电脑D盘的android_usb_windows文件夹中,由于Android驱动没有通过微软WHQL"
    "安全认证,请单击是继续安装";
inline constexpr const char* kUnsignedDriverNoticeCaption = "提示";
inline constexpr const char* kDriverInstalledMessage =
    "驱动已经成功安装，请重新插拔手机如果仍然出现错误可以尝试重启电脑顺利安装";
// "错误代码 %d": the last-error value printed as a signed 32-bit number.
std::string DriverStoreErrorText(std::uint32_t lastError);

}  // namespace nimbo::platform
