// The text form puts every path inside one pair of double quotes and escapes
// nothing; it is never parsed back: the argument vector is what runs.
#include "adbtool/adb_commands.h"

namespace nimbo {
namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// adb reads any argument that begins with "-" as one of its options, so a
// relative file name such as "-l.apk" would change what install does instead
// of being installed. "./" keeps it the same file.
std::string NotAnOption(const std::string& path) {
    return path.starts_with('-') ? "./" + path : path;
}

}  // namespace

AdbCommand AdbKillServer() {
    return {{"adb", "kill-server"}, "adb kill-server"};
}

AdbCommand AdbWaitForDevice() {
    return {{"adb", "wait-for-device"}, "adb wait-for-device"};
}

AdbCommand AdbInstall(const std::string& givenPath) {
    const std::string apkPath = NotAnOption(givenPath);
    return {{"adb", "install", "-r", apkPath}, "adb install -r " + Quoted(apkPath)};
}

AdbCommand AdbListPackages() {
    return {{"adb", "shell", "pm", "list", "packages", "-f"}, "adb shell pm list packages -f"};
}

AdbCommand AdbPull(const std::string& fileName, const std::string& folder) {
    std::string phonePath = "/data/app/" + fileName;
    return {{"adb", "pull", phonePath, folder},
            "adb pull " + Quoted(phonePath) + " " + Quoted(folder)};
}

AdbCommand AdbPullToFile(const std::string& phonePath, const std::string& targetFile) {
    return {{"adb", "pull", phonePath, targetFile},
            "adb pull " + Quoted(phonePath) + " " + Quoted(targetFile)};
}

}  // namespace nimbo
