// Folder creation failures are ignored on purpose: the folder usually exists
// from an earlier press, and when it truly cannot be made the file writes
// fail too and are reported by name.
#include "driver/usb_driver_package.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/files.h"
#include "platform/utf8_path.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

// Writes beside the file and moves the whole over it, so a full disk or a
// refused write leaves the earlier press's file as it was (none of these is
// a program that may be running, unlike the adb payload).
bool WriteWholeFile(const fs::path& path, std::span<const unsigned char> bytes) {
    if (bytes.empty()) return false;
    const std::string target = platform::Utf8FromPath(path);
    const std::string partial = target + ".partial";
    std::FILE* out = platform::OpenFile(partial, "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) == 0 && written && platform::MoveFileOver(partial, target)) return true;
    platform::RemoveFile(partial);
    return false;
}

void WritePayloads(std::initializer_list<int> numbers, const platform::Paths& paths,
                   PayloadBytesLookup lookup, DriverPackage& package) {
    for (int number : numbers) {
        const payloads::PayloadInfo* row = payloads::FindPayload(number);
        const fs::path path = PayloadPath(*row, paths);
        const auto bytes = lookup ? lookup(row->resourceId) : std::span<const unsigned char>();
        if (WriteWholeFile(path, bytes)) continue;
        package.failed.push_back(path.lexically_relative(paths.driverDir).generic_string());
    }
}

}  // namespace

DriverPackage WriteUsbDriverPackage(const platform::Paths& paths,
                                              PayloadBytesLookup lookup) {
    DriverPackage package;
    package.folder = paths.driverDir;
    package.setupInfo = paths.driverDir / kSetupInfoFileName;
    package.udevRules = paths.driverDir / kUdevRulesFileName;

    std::error_code ignored;
    fs::create_directory(paths.driverDir, ignored);
    WritePayloads({4, 5}, paths, lookup, package);
    fs::create_directory(paths.driverI386Dir, ignored);
    WritePayloads({6, 7, 8}, paths, lookup, package);

    const auto rules = lookup ? lookup(kUdevRulesResourceId) : std::span<const unsigned char>();
    if (!WriteWholeFile(package.udevRules, rules)) package.failed.push_back(kUdevRulesFileName);
    return package;
}

void InstallUsbDriverPackage(const platform::Paths& paths, platform::DriverStore& store,
                             const ShowMessage& show, const std::string& appName,
                             PayloadBytesLookup lookup) {
    const DriverPackage package = WriteUsbDriverPackage(paths, lookup);
    if (!store.HasStore()) {
        show(UdevRuleMessage(package), appName);
        return;
    }
    show(kUnsignedDriverNotice, kUnsignedDriverNoticeCaption);
    const std::uint32_t error = store.Install(package.setupInfo);
    show(error == 0 ? std::string(kDriverInstalledMessage) : DriverStoreErrorText(error), appName);
}

std::string DriverStoreErrorText(std::uint32_t lastError) {
    char text[32];
    std::snprintf(text, sizeof text, "错误代码 %d", static_cast<std::int32_t>(lastError));
    return text;
}

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
    const std::string name = platform::Utf8FromPath(package.udevRules.filename());
    return std::find(package.failed.begin(), package.failed.end(), name) == package.failed.end();
}

}  // namespace

std::string UdevRuleMessage(const DriverPackage& package) {
    const std::string folder = platform::Utf8FromPath(package.folder);
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
            platform::Utf8FromPath(package.udevRules.filename()) + "：\n\n" + "sudo cp " +
            QuoteForShell(platform::Utf8FromPath(package.udevRules)) +
            " /etc/udev/rules.d/ && sudo udevadm control --reload-rules\n\n"
            "然后重新插拔手机。";
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace nimbo
