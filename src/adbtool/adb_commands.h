#pragma once
// Every adb command line the program runs: the argument vector handed to the
// launcher, and the text form the way a user would type it, for logs and tests.
// No command names a device: adb's single attached device is meant.
#include <string>
#include <vector>

namespace nimbo {

struct AdbCommand {
    std::vector<std::string> argv;
    std::string text;
};

// adb kill-server
AdbCommand AdbKillServer();
// adb wait-for-device
AdbCommand AdbWaitForDevice();
// adb install -r "PATH"
AdbCommand AdbInstall(const std::string& apkPath);
// adb shell pm list packages -f
AdbCommand AdbListPackages();
// adb pull "/data/app/NAME" "FOLDER": the APK keeps its own name in the folder.
AdbCommand AdbPull(const std::string& fileName, const std::string& folder);
// adb pull "PHONE_PATH" "TARGET_FILE": for APKs that all sit in folders of their
// own as base.apk, so each one can be given its package's name on the PC.
AdbCommand AdbPullToFile(const std::string& phonePath, const std::string& targetFile);

}  // namespace nimbo
