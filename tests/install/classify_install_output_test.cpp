// What the install status line says for the output adb prints. The pieces are
// adb's output as the pipe delivers it: CR LF or LF, no final line feed, the
// daemon's start-up lines and the push progress around the verdict.
#include "install/classify_install_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nimbo {
namespace {

constexpr const char* kSuccess = "安装成功,请在手机功能表中运行使用";
constexpr const char* kBadApk = "安装失败,请选择一个有效的APK文件";
constexpr const char* kApkLost = "安装失败,APK文件意外丢失";
constexpr const char* kNotConnected = "安装失败,请确认手机已经连接到电脑上";
constexpr const char* kOlderSdk = "安装失败,该软件版本过老,联系APK文件的开发商";
constexpr const char* kDexopt = "安装失败,手机没有足够的空间或APK文件损坏";
constexpr const char* kOffline = "安装失败,手机处于离线状态,请重新插拔USB线";

// What adb 29 prints before anything else when no server was running.
constexpr const char* kDaemonStarted =
    "* daemon not running; starting now at tcp:5037\r\n* daemon started successfully\r\n";

struct Case {
    std::string output;
    const char* message;  // nullptr: the status line stays as it was
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const auto got = ClassifyInstallOutput(c.output);
        if (c.message == nullptr) {
            EXPECT_FALSE(got.has_value()) << *got;
        } else {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, c.message);
        }
    }
}

// adb 29 streams the APK to a phone of Android 7 or later and names the file
// it failed to install before the phone's reason.
std::string Streamed(const std::string& failure) {
    return "Performing Streamed Install\r\nadb: failed to install /home/u/下载/notes.apk: "
           "Failure [" +
           failure + "]";
}

// Older phones get the file pushed first, then the package manager's verdict.
std::string Pushed(const std::string& verdict) {
    return "Performing Push Install\r\n/home/u/notes.apk: 1 file pushed, 0 skipped. 25.1 MB/s "
           "(289 bytes in 0.000s)\r\n\tpkg: /data/local/tmp/notes.apk\r\n" +
           verdict;
}

TEST(InstallMessages, ASucceededInstallSaysSo) {
    ExpectAll({
        {"Performing Streamed Install\r\nSuccess", kSuccess},
        {"Performing Streamed Install\r\nSuccess\r\n", kSuccess},
        {std::string(kDaemonStarted) + "Performing Streamed Install\r\nSuccess", kSuccess},
        {Pushed("Success"), kSuccess},
        {"Performing Streamed Install\nSuccess\n", kSuccess},
        // The verdict can arrive in a read of its own.
        {"Success", kSuccess},
        {"\r\nSuccess", kSuccess},
    });
}

TEST(InstallMessages, ThePhonesReasonForAStreamedInstallThatFailed) {
    ExpectAll({
        {Streamed("INSTALL_FAILED_ALREADY_EXISTS: Attempt to re-install com.a without first "
                  "uninstalling."),
         "安装失败,文件已经存在,请在手机端删除老版本后重试"},
        {Streamed("INSTALL_FAILED_CONFLICTING_PROVIDER: Scanning Failed.: Can't install because "
                  "provider name com.a.files (in package com.a) is already used by com.b"),
         "安装失败,由于Provider验证问题,请删除老版本后重试"},
        {Streamed("INSTALL_FAILED_DEXOPT"), kDexopt},
        {Streamed("INSTALL_FAILED_DUPLICATE_PACKAGE"),
         "安装失败,软件内部Package冲突,联系APK文件的开发商"},
        {Streamed("INSTALL_FAILED_INSUFFICIENT_STORAGE"),
         "安装失败,手机内存已满,没有足够空间安装新软件"},
        {Streamed("INSTALL_FAILED_INVALID_APK: Split null was defined multiple times"),
         "安装失败,无效的APK文件"},
        {Streamed("INSTALL_FAILED_INVALID_URI"), "Nimbo内部错误，请联系support@tarnwick.example"},
        {Streamed("INSTALL_FAILED_MISSING_SHARED_LIBRARY: Package couldn't be installed in "
                  "/data/app/com.a-1: Package com.a requires unavailable shared library "
                  "com.google.android.maps; failing!"),
         "安装失败,APK文件使用共享库无效,联系APK文件的开发商"},
        {Streamed("INSTALL_FAILED_NO_SHARED_USER"),
         "安装失败,请求的共享用户不存在,联系APK文件的开发商"},
        {Streamed("INSTALL_FAILED_OLDER_SDK: Failed parse during installPackageLI: "
                  "/data/app/vmdl1.tmp/base.apk (at Binary XML file line #7): Requires newer sdk "
                  "version #30 (current version is #29)"),
         kOlderSdk},
        {Streamed("INSTALL_FAILED_REPLACE_COULDNT_DELETE"),
         "安装失败,Package共享库无效,联系APK文件的开发商"},
        {Streamed("INSTALL_PARSE_FAILED_NOT_APK: Failed to parse /data/app/vmdl1.tmp/base.apk: "
                  "Failed to load asset path /data/app/vmdl1.tmp/base.apk"),
         kBadApk},
        {Streamed("INSTALL_FAILED_UPDATE_INCOMPATIBLE: Package com.a signatures do not match "
                  "previously installed version; ignoring!"),
         "安装失败,新版本的签名与手机中的老版本不一致,请删除老版本后重试"},
        {Streamed("INSTALL_FAILED_VERSION_DOWNGRADE"), "安装失败,手机中已有更高的版本"},
        {Streamed("INSTALL_FAILED_USER_RESTRICTED: Install canceled by user"),
         "安装失败,请在手机的开发者选项中允许通过USB安装应用"},
        {Streamed("INSTALL_FAILED_NO_MATCHING_ABIS: Failed to extract native libraries, "
                  "res=-113"),
         "安装失败,该软件不支持这台手机的处理器"},
        {Streamed("INSTALL_FAILED_OLDER_SDK") + "\r\n", kOlderSdk},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_DEXOPT]\n", kDexopt},
    });
}

TEST(InstallMessages, ThePackageManagersReasonForAPushedInstallThatFailed) {
    ExpectAll({
        {Pushed("Failure [INSTALL_FAILED_DEXOPT]"), kDexopt},
        {Pushed("Failure [INSTALL_FAILED_INVALID_APK]\r\n"), "安装失败,无效的APK文件"},
        {Pushed("Failure [INSTALL_FAILED_OLDER_SDK]"), kOlderSdk},
        {"\tpkg: /data/local/tmp/x.apk\r\nFailure [INSTALL_FAILED_ALREADY_EXISTS]",
         "安装失败,文件已经存在,请在手机端删除老版本后重试"},
    });
}

TEST(InstallMessages, ReasonsNoMessageKnowsStillShowAsAFailure) {
    ExpectAll({
        {Streamed("INSTALL_FAILED_TEST_ONLY: installPackageLI"),
         "安装失败,INSTALL_FAILED_TEST_ONLY"},
        {Pushed("Failure [INSTALL_FAILED_ABORTED]"), "安装失败,INSTALL_FAILED_ABORTED"},
        // The read ended before the closing bracket came.
        {"adb: failed to install x.apk: Failure [INSTALL_CANCELED_BY_USER",
         "安装失败,INSTALL_CANCELED_BY_USER"},
        {"Failure [INSTALL_CANCELED_BY_USER\r\n", "安装失败,INSTALL_CANCELED_BY_USER"},
        {"Failure []", "安装失败"},
    });
}

TEST(InstallMessages, NoPhoneTooManyPhonesOrAPhoneThatCannotBeReached) {
    ExpectAll({
        {"adb: error: failed to get feature set: no devices/emulators found", kNotConnected},
        {std::string(kDaemonStarted) +
             "adb: error: failed to get feature set: no devices/emulators found\r\n",
         kNotConnected},
        {"error: device not found\r\n", kNotConnected},  // older adb
        {"error: more than one device/emulator\r\n"
         "adb: error: failed to get feature set: more than one device/emulator",
         "安装失败,连接了多台设备,请只保留一台手机"},
        {"adb: error: failed to get feature set: device unauthorized.\r\n"
         "This adb server's $ADB_VENDOR_KEYS is not set\r\n"
         "Try 'adb kill-server' if that seems wrong.\r\n"
         "Otherwise check for a confirmation dialog on your device.",
         "安装失败,请在手机上允许USB调试"},
        {"adb: error: failed to get feature set: device offline\r\n", kOffline},
        {"adb: failed to install x.apk: device offline\n", kOffline},
        // A phone named with -s that has gone since.
        {"adb: error: failed to get feature set: device 'emulator-5556' not found", kNotConnected},
    });
}

// adb 29's install-multiple: the session's verdict comes last.
TEST(InstallMessages, ASplitAppInstalledInOneSession) {
    ExpectAll({
        {"Success\n", kSuccess},
        {"adb: failed to finalize session\nFailure [INSTALL_FAILED_MISSING_SPLIT: Missing split "
         "for com.x]\n",
         "安装失败,缺少该软件的拆分安装包,请选择完整的APKS文件或同时选择它的全部APK文件"},
        {"adb: failed to finalize session\nFailure [INSTALL_FAILED_INVALID_APK: Split "
         "config.xxhdpi package inconsistent with base com.x]",
         "安装失败,无效的APK文件"},
        {"adb: failed to stat /tmp/x/split_a.apk: No such file or directory\n", kApkLost},
    });
}

TEST(InstallMessages, AFileThatIsGoneOrIsNoApk) {
    ExpectAll({
        {"adb: error: cannot stat '/home/u/notes.apk': No such file or directory", kApkLost},
        {"adb: error: failed to stat /home/u/notes.apk: No such file or directory\r\n", kApkLost},
        {"can't find '/home/u/notes.apk' to install\r\n", kApkLost},  // older adb
        {"adb: need APK file on command line\r\n", kBadApk},
        {"adb: error: filename doesn't end .apk: /home/u/notes.txt", kBadApk},
        {"/home/u/notes.apk is not a valid zip file", kBadApk},  // older adb
        {"Invalid APK file: /home/u/notes.apk does not contain AndroidManifest.xml\r\n",
         "安装失败,APK文件已经损坏"},
    });
}

// One read may carry more than one verdict; the one the user needs wins.
TEST(InstallMessages, APieceWithSeveralVerdicts) {
    ExpectAll({
        // A specific message beats the bare failure code.
        {Streamed("INSTALL_FAILED_VERSION_DOWNGRADE"), "安装失败,手机中已有更高的版本"},
        // "Success" on its own line ends the install, whatever came before it.
        {"Failure [INSTALL_FAILED_INVALID_APK]\r\nSuccess", kSuccess},
        // A lost connection says more than a code reported before it.
        {"Failure [INSTALL_FAILED_OLDER_SDK]\r\nerror: device not found", kNotConnected},
        {"error: device not found\r\nFailure [INSTALL_FAILED_ALREADY_EXISTS]", kNotConnected},
        {"/home/u/notes.apk is not a valid zip file\r\ncan't find '/home/u/notes.apk' to install",
         kApkLost},
        {"adb: error: failed to get feature set: device offline\r\n" +
             Streamed("INSTALL_FAILED_NO_MATCHING_ABIS"),
         "安装失败,该软件不支持这台手机的处理器"},
    });
}

TEST(InstallMessages, TheUsersFileNameIsNeverReadAsAVerdict) {
    ExpectAll({
        {"adb: failed to install /home/u/apps to install/x.apk: Failure "
         "[INSTALL_FAILED_OLDER_SDK: Failed parse during installPackageLI]\r\n",
         kOlderSdk},
        {"adb: failed to install /a/Failure [INSTALL_FAILED_DEXOPT]/x.apk: Failure "
         "[INSTALL_FAILED_VERSION_DOWNGRADE]",
         "安装失败,手机中已有更高的版本"},
        {"Performing Push Install\r\n"
         "/home/u/not contained/Success.apk: 1 file pushed, 0 skipped. 25.1 MB/s (289 bytes in "
         "0.000s)\r\n"
         "\tpkg: /data/local/tmp/how to install.apk\r\n"
         "Failure [INSTALL_FAILED_DEXOPT]",
         kDexopt},
        {"/tmp/device not found.apk: 1 file pushed. 12.3 MB/s (1234 bytes in 0.001s)\r\n", nullptr},
        {"/tmp/device offline: 3 files pushed, 0 skipped. 9.1 MB/s (9000 bytes in 0.001s)\r\n",
         nullptr},
        {"\tpkg: /data/local/tmp/device offline.apk\r\n", nullptr},
        // Lines that only look alike keep their words.
        {"error: device not found: no file pushed\r\n", kNotConnected},
    });
}

TEST(InstallMessages, SuccessCountsOnlyAtTheStartOfALine) {
    ExpectAll({
        {"success\r\n", nullptr},
        {" Success\r\n", nullptr},
        {"\tSuccess\r\n", nullptr},
        {"Install Success\r\n", nullptr},
        {"Succes", nullptr},  // cut before the verdict was whole
    });
}

TEST(InstallMessages, PiecesWithoutAVerdictLeaveTheLineAlone) {
    ExpectAll({
        {"", nullptr},
        {"Performing Streamed Install\r\n", nullptr},
        {kDaemonStarted, nullptr},
        {"Performing Push Install\r\n/home/u/notes.apk: 1 file pushed, 0 skipped. 25.1 MB/s (289 "
         "bytes in 0.000s)\r\n\tpkg: /data/local/tmp/notes.apk",
         nullptr},
        {"adb: failed to install", nullptr},  // cut before the code arrived
        {"INSTALL_FAILED_ALREADY_EXIST", nullptr},
        {"install_failed_already_exists", nullptr},
    });
}

}  // namespace
}  // namespace nimbo
