#pragma once
// Every adb command line the program runs: the argument vector handed to the
// launcher, and the text form the way a user would type it, for logs and tests.
// No command names a device: adb's single attached device is meant, unless
// OnDevice names one (several phones attached).
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
// adb install-multiple -r "PATH" "PATH"...: the parts of one split app in one
// install session. adb takes every trailing argument ending in .apk as a part.
AdbCommand AdbInstallMultiple(const std::vector<std::string>& apkPaths);
// adb shell "SCRIPT": one phone shell running several commands at once.
AdbCommand AdbShellScript(const std::string& script);
// adb connect HOST:PORT / adb disconnect SERIAL: network devices.
AdbCommand AdbConnect(const std::string& address);
AdbCommand AdbDisconnect(const std::string& serial);

// The same command for one device: "adb -s SERIAL ...". An empty serial
// leaves the command exactly as it was.
AdbCommand OnDevice(AdbCommand command, const std::string& serial);

}  // namespace nimbo
