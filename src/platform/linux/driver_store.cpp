// Linux has no driver store: the kernel drives the phone's USB interface
// itself, and adb only needs the logged-in user to be allowed to open the
// device. The package's udev rule grants that; installing it needs root, so
// the user gets the command to run rather than a hidden privilege prompt.
#include "platform/driver_store.h"

#include <algorithm>

namespace nimbo::platform {
namespace {

// Quotes a path for a POSIX shell only when it needs it, so the usual command
// stays easy to read and a folder with blanks, quotes or $ still copies right.
std::string QuoteForShell(const std::string& text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' ||
               static_cast<unsigned char>(c) >= 0x80;
    });
    if (plain) return text;
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool RulesWritten(const DriverPackage& package) {
    const std::string name = package.udevRules.filename().string();
    return std::find(package.failed.begin(), package.failed.end(), name) == package.failed.end();
}

std::string UdevMessage(const DriverPackage& package) {
    const std::string folder = package.folder.string();
    std::string text;
    if (package.Complete()) {
        text = "USB驱动文件已经释放到 " + folder + " 文件夹中。\n\n";
    } else {
        text = "USB驱动文件没有全部写入 " + folder + " 文件夹，以下文件写入失败：\n";
        for (const auto& name : package.failed) text += "    " + name + "\n";
        text += "请检查该文件夹的写入权限和磁盘空间，然后再次单击“安装USB驱动”。\n\n";
    }
    if (RulesWritten(package)) {
        text +=
            "Linux不需要另外安装驱动，只需允许当前用户访问手机的USB设备。"
            "请在终端中运行下面的命令安装设备规则文件 " +
            package.udevRules.filename().string() + "：\n\n" + "sudo cp " +
            QuoteForShell(package.udevRules.string()) +
            " /etc/udev/rules.d/ && sudo udevadm control --reload-rules\n\n"
            "然后重新插拔手机。";
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

class UdevRuleStore final : public DriverStore {
public:
    void InstallPackage(const DriverPackage& package, Dialogs& dialogs,
                        const std::string& appName) override {
        dialogs.MessageBox(UdevMessage(package), appName);
    }
};

}  // namespace

std::unique_ptr<DriverStore> MakeDriverStore() {
    return std::make_unique<UdevRuleStore>();
}

}  // namespace nimbo::platform
