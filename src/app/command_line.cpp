#include "app/command_line.h"

namespace nimbo {
namespace {

// Set by the build from the project's version (src/CMakeLists.txt).
constexpr const char* kVersion = NIMBO_VERSION;

bool IsHelp(const std::string& a) {
    return a == "--help" || a == "-h";
}
bool IsVersion(const std::string& a) {
    return a == "--version" || a == "-v";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& a : args) {
        if (a == "--") break;
        if (IsHelp(a)) return {CommandLine::Action::Help, {}, {}};
        if (IsVersion(a)) return {CommandLine::Action::Version, {}, {}};
    }
    bool filesOnly = false;
    for (const std::string& a : args) {
        if (!filesOnly && a == "--") {
            filesOnly = true;
            continue;
        }
        if (!filesOnly && a.size() > 1 && a[0] == '-') {
            return {CommandLine::Action::Error, {}, "未知选项: " + a};
        }
        if (a.empty()) {
            return {CommandLine::Action::Error, {}, "文件名为空"};
        }
        if (!line.apkFile.empty()) {
            return {CommandLine::Action::Error, {}, "只能指定一个APK文件"};
        }
        line.apkFile = a;
    }
    return line;
}

std::string VersionText() {
    return std::string("Nimbo ") + kVersion;
}

std::string HelpText() {
    return "用法: nimbo [APK文件]\n"
           "Nimbo " +
           std::string(kVersion) +
           ": 通过 adb 把 APK 文件安装到 Android 手机, 列出并备份手机上的软件, "
           "列出设备, 截取手机屏幕。\n"
           "\n"
           "  APK文件      打开窗口时把它填入安装路径, 如同用\"选择APK文件\"选中\n"
           "  --help       显示本说明后退出\n"
           "  --version    显示版本后退出\n";
}

}  // namespace nimbo
