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

AdbCommand AdbInstallMultiple(const std::vector<std::string>& apkPaths) {
    AdbCommand command{{"adb", "install-multiple", "-r"}, "adb install-multiple -r"};
    for (const std::string& given : apkPaths) {
        const std::string path = NotAnOption(given);
        command.argv.push_back(path);
        command.text += " " + Quoted(path);
    }
    return command;
}

AdbCommand AdbShellScript(const std::string& script) {
    return {{"adb", "shell", script}, "adb shell " + Quoted(script)};
}

AdbCommand AdbConnect(const std::string& address) {
    return {{"adb", "connect", address}, "adb connect " + address};
}

AdbCommand AdbDisconnect(const std::string& serial) {
    return {{"adb", "disconnect", serial}, "adb disconnect " + serial};
}

AdbCommand OnDevice(AdbCommand command, const std::string& serial) {
    if (serial.empty() || command.argv.empty()) return command;
    command.argv.insert(command.argv.begin() + 1, {"-s", serial});
    const size_t afterAdb = command.text.find(' ');
    command.text.insert(afterAdb == std::string::npos ? command.text.size() : afterAdb,
                        " -s " + serial);
    return command;
}

}  // namespace nimbo
