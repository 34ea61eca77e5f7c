#include "install/classify_install_output.h"

#include <gtest/gtest.h>

namespace nimbo {
namespace {

constexpr const char* kSuccess = "安装成功,请在手机功能表中运行使用";
constexpr const char* kBadApk = "安装失败,请选择一个有效的APK文件";
constexpr const char* kApkLost = "安装失败,APK文件意外丢失";
constexpr const char* kNotConnected = "安装失败,请确认手机已经连接到电脑上";

struct Case {
    const char* piece;
    const char* message;  // nullptr: the status line stays as it was
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece);
        const auto got = ClassifyInstallOutput(c.piece);
        if (c.message == nullptr) {
            EXPECT_FALSE(got.has_value()) << *got;
        } else {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, c.message);
        }
    }
}

TEST(ClassifyInstallOutput, EveryMarkerOfTheTable) {
    ExpectAll({
        {"Failure [INSTALL_FAILED_ALREADY_EXISTS]",
         "安装失败,文件已经存在,请在手机端删除老版本后重试"},
        {"Failure [INSTALL_FAILED_CONFLICTING_PROVIDER]",
         "安装失败,由于Provider验证问题,请删除老版本后重试"},
        {"Failure [INSTALL_FAILED_DEXOPT]", "安装失败,手机没有足够的空间或APK文件损坏"},
        {"Failure [INSTALL_FAILED_DUPLICATE_PACKAGE]",
         "安装失败,软件内部Package冲突,联系APK文件的开发商"},
        {"Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]",
         "安装失败,手机内存已满,没有足够空间安装新软件"},
        {"Failure [INSTALL_FAILED_INVALID_APK]", "安装失败,无效的APK文件"},
        {"Failure [INSTALL_FAILED_INVALID_URI]", "Nimbo内部错误，请联系support@tarnwick.example"},
        {"Failure [INSTALL_FAILED_MISSING_SHARED_LIBRARY]",
         "安装失败,APK文件使用共享库无效,联系APK文件的开发商"},
        {"Failure [INSTALL_FAILED_NO_SHARED_USER]",
         "安装失败,请求的共享用户不存在,联系APK文件的开发商"},
        {"Failure [INSTALL_FAILED_OLDER_SDK]", "安装失败,该软件版本过老,联系APK文件的开发商"},
        {"Failure [INSTALL_FAILED_REPLACE_COULDNT_DELETE]",
         "安装失败,Package共享库无效,联系APK文件的开发商"},
        {"x.apk is not a valid zip file", kBadApk},
        {"does not contain AndroidManifest.xml", "安装失败,APK文件已经损坏"},
        {"can't find 'x.apk' to install", kApkLost},
        {"error: device not found\r\n", kNotConnected},
        {"Success\r\n", kSuccess},
    });
}

TEST(ClassifyInstallOutput, MarkersOfTodaysAdb) {
    ExpectAll({
        {"adb: error: failed to get feature set: no devices/emulators found\n", kNotConnected},
        {"error: more than one device/emulator\n"
         "adb: error: failed to get feature set: more than one device/emulator\n",
         "安装失败,连接了多台设备,请只保留一台手机"},
        {"adb: error: cannot stat 'x.apk': No such file or directory\n", kApkLost},
        {"adb: error: failed to stat x.apk: No such file or directory\n", kApkLost},
        {"adb: need APK file on command line\n", kBadApk},
        {"adb: error: filename doesn't end .apk: notes.txt\n", kBadApk},
        {"adb: failed to install x.apk: Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse "
         "/data/app/vmdl1.tmp/base.apk: Failed to load asset path]\n",
         kBadApk},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_UPDATE_INCOMPATIBLE: Package "
         "com.a signatures do not match previously installed version; ignoring!]\n",
         "安装失败,新版本的签名与手机中的老版本不一致,请删除老版本后重试"},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\n",
         "安装失败,手机中已有更高的版本"},
        {"adb: error: failed to get feature set: device unauthorized.\n"
         "This adb server's $ADB_VENDOR_KEYS is not set\n"
         "Try 'adb kill-server' if that seems wrong.\n"
         "Otherwise check for a confirmation dialog on your device.\n",
         "安装失败,请在手机上允许USB调试"},
        {"adb: error: failed to get feature set: device offline\n",
         "安装失败,手机处于离线状态,请重新插拔USB线"},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_USER_RESTRICTED: Install "
         "canceled by user]\n",
         "安装失败,请在手机的开发者选项中允许通过USB安装应用"},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_NO_MATCHING_ABIS: Failed to "
         "extract native libraries, res=-113]\n",
         "安装失败,该软件不支持这台手机的处理器"},
    });
}

TEST(ClassifyInstallOutput, VerbatimAdb29Installs) {
    ExpectAll({
        {"Performing Push Install\r\n/path: 1 file pushed. 12.3 MB/s (1234 bytes in 0.001s)\r\n"
         "\tpkg: /data/local/tmp/x.apk\r\nSuccess\r\n",
         kSuccess},
        {"Performing Streamed Install\nSuccess\n", kSuccess},
        // A failed streamed install names the file with "failed to install": the
        // code decides, not the missing-file row.
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_OLDER_SDK: Failed parse during "
         "installPackageLI: /data/app/vmdl1.tmp/base.apk (at Binary XML file line #7): Requires "
         "newer sdk version #30 (current version is #29)]\n",
         "安装失败,该软件版本过老,联系APK文件的开发商"},
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_ALREADY_EXISTS: Attempt to "
         "re-install com.a without first uninstalling.]\n",
         "安装失败,文件已经存在,请在手机端删除老版本后重试"},
        {"\tpkg: /data/local/tmp/x.apk\r\nFailure [INSTALL_FAILED_DEXOPT]\r\n",
         "安装失败,手机没有足够的空间或APK文件损坏"},
    });
}

TEST(ClassifyInstallOutput, UnlistedFailureCodesStillReportAFailure) {
    ExpectAll({
        {"adb: failed to install x.apk: Failure [INSTALL_FAILED_TEST_ONLY: installPackageLI]\n",
         "安装失败,INSTALL_FAILED_TEST_ONLY"},
        {"Failure [INSTALL_FAILED_ABORTED]", "安装失败,INSTALL_FAILED_ABORTED"},
        {"Failure [INSTALL_CANCELED_BY_USER", "安装失败,INSTALL_CANCELED_BY_USER"},
        {"Failure []", "安装失败"},
    });
}

TEST(ClassifyInstallOutput, LastMatchingRowWins) {
    ExpectAll({
        {"x.apk is not a valid zip file\ncan't find 'x.apk' to install", kApkLost},
        {"Failure [INSTALL_FAILED_OLDER_SDK]\nerror: device not found", kNotConnected},
        {"error: device not found\nINSTALL_FAILED_ALREADY_EXISTS", kNotConnected},
        {"Success\nFailure [INSTALL_FAILED_INVALID_APK]", kSuccess},
        {"device offline\nINSTALL_FAILED_NO_MATCHING_ABIS",
         "安装失败,该软件不支持这台手机的处理器"},
    });
}

TEST(ClassifyInstallOutput, FileNamesRepeatedByAdbAreNotMarkers) {
    ExpectAll({
        {"adb: failed to install /home/u/apps to install/x.apk: Failure "
         "[INSTALL_FAILED_OLDER_SDK: Failed parse during installPackageLI]\n",
         "安装失败,该软件版本过老,联系APK文件的开发商"},
        {"adb: failed to install /a/Failure [INSTALL_FAILED_DEXOPT]/x.apk: Failure "
         "[INSTALL_FAILED_VERSION_DOWNGRADE]\n",
         "安装失败,手机中已有更高的版本"},
        {"Performing Push Install\r\n"
         "/home/u/not contained/Success.apk: 1 file pushed, 0 skipped. 25.1 MB/s (289 bytes in "
         "0.000s)\r\n"
         "\tpkg: /data/local/tmp/how to install.apk\r\n"
         "Failure [INSTALL_FAILED_DEXOPT]\r\n",
         "安装失败,手机没有足够的空间或APK文件损坏"},
        {"/tmp/device not found.apk: 1 file pushed. 12.3 MB/s (1234 bytes in 0.001s)\n", nullptr},
        {"\tpkg: /data/local/tmp/device offline.apk\n", nullptr},
        // Lines that only look alike keep their words.
        {"error: device not found: no file pushed\n", kNotConnected},
        {"adb: failed to install x.apk: device offline\n",
         "安装失败,手机处于离线状态,请重新插拔USB线"},
    });
}

// Every row against every later one: the later row's message must win, which
// pins the order of the whole table.
TEST(ClassifyInstallOutput, EachRowOverridesEveryEarlierRow) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"Failure [INSTALL_FAILED_X]", "安装失败,INSTALL_FAILED_X"},
        {"INSTALL_FAILED_ALREADY_EXISTS", "安装失败,文件已经存在,请在手机端删除老版本后重试"},
        {"INSTALL_FAILED_CONFLICTING_PROVIDER", "安装失败,由于Provider验证问题,请删除老版本后重试"},
        {"INSTALL_FAILED_DEXOPT", "安装失败,手机没有足够的空间或APK文件损坏"},
        {"INSTALL_FAILED_DUPLICATE_PACKAGE", "安装失败,软件内部Package冲突,联系APK文件的开发商"},
        {"INSTALL_FAILED_INSUFFICIENT_STORAGE", "安装失败,手机内存已满,没有足够空间安装新软件"},
        {"INSTALL_FAILED_INVALID_APK", "安装失败,无效的APK文件"},
        {"INSTALL_FAILED_INVALID_URI", "Nimbo内部错误，请联系support@tarnwick.example"},
        {"INSTALL_FAILED_MISSING_SHARED_LIBRARY",
         "安装失败,APK文件使用共享库无效,联系APK文件的开发商"},
        {"INSTALL_FAILED_NO_SHARED_USER", "安装失败,请求的共享用户不存在,联系APK文件的开发商"},
        {"INSTALL_FAILED_OLDER_SDK", "安装失败,该软件版本过老,联系APK文件的开发商"},
        {"INSTALL_FAILED_REPLACE_COULDNT_DELETE", "安装失败,Package共享库无效,联系APK文件的开发商"},
        {"is not a valid zip file", kBadApk},
        {"not contain", "安装失败,APK文件已经损坏"},
        {"to install", kApkLost},
        {"device not found", kNotConnected},
        {"no devices/emulators found", kNotConnected},
        {"more than one device/emulator", "安装失败,连接了多台设备,请只保留一台手机"},
        {"cannot stat", kApkLost},
        {"failed to stat", kApkLost},
        {"need APK file on command line", kBadApk},
        {"doesn't end .apk", kBadApk},
        {"INSTALL_PARSE_FAILED_NOT_APK", kBadApk},
        {"INSTALL_FAILED_UPDATE_INCOMPATIBLE",
         "安装失败,新版本的签名与手机中的老版本不一致,请删除老版本后重试"},
        {"INSTALL_FAILED_VERSION_DOWNGRADE", "安装失败,手机中已有更高的版本"},
        {"device unauthorized", "安装失败,请在手机上允许USB调试"},
        {"device offline", "安装失败,手机处于离线状态,请重新插拔USB线"},
        {"INSTALL_FAILED_USER_RESTRICTED", "安装失败,请在手机的开发者选项中允许通过USB安装应用"},
        {"INSTALL_FAILED_NO_MATCHING_ABIS", "安装失败,该软件不支持这台手机的处理器"},
        {"Success", kSuccess},
    };
    for (size_t later = 0; later < rows.size(); ++later) {
        for (size_t earlier = 0; earlier < later; ++earlier) {
            // Either order inside the piece: the table decides, not the text.
            for (const std::string& piece :
                 {std::string(rows[earlier].first) + "\n" + rows[later].first,
                  std::string(rows[later].first) + "\n" + rows[earlier].first}) {
                SCOPED_TRACE(piece);
                EXPECT_EQ(ClassifyInstallOutput(piece).value_or("(none)"), rows[later].second);
            }
        }
    }
}

TEST(ClassifyInstallOutput, SuccessOnlyAtTheStartOfALine) {
    ExpectAll({
        {"Success", kSuccess},
        {"pushed\nSuccess", kSuccess},
        {"success\n", nullptr},
        {" Success\n", nullptr},
        {"\tSuccess\n", nullptr},
        {"Install Success\n", nullptr},
        {"Succes", nullptr},
        {"\r\nSuccess", kSuccess},
    });
}

TEST(ClassifyInstallOutput, PiecesWithoutMarkersLeaveTheLineAlone) {
    ExpectAll({
        {"", nullptr},
        {"Performing Streamed Install\n", nullptr},
        {"\tpkg: /data/local/tmp/x.apk\r\n", nullptr},
        {"failed to install", nullptr},  // cut before the code arrived
        {"INSTALL_FAILED_ALREADY_EXIST", nullptr},
        {"install_failed_already_exists", nullptr},
    });
}

}  // namespace
}  // namespace nimbo
