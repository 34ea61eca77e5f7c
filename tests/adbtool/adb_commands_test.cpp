// Argument vectors and their text forms for every adb command line.
#include "adbtool/adb_commands.h"

#include <gtest/gtest.h>

namespace nimbo {
namespace {

using Argv = std::vector<std::string>;

TEST(AdbCommandsTest, FixedCommands) {
    EXPECT_EQ(AdbKillServer().argv, (Argv{"adb", "kill-server"}));
    EXPECT_EQ(AdbKillServer().text, "adb kill-server");
    EXPECT_EQ(AdbWaitForDevice().argv, (Argv{"adb", "wait-for-device"}));
    EXPECT_EQ(AdbWaitForDevice().text, "adb wait-for-device");
    EXPECT_EQ(AdbListPackages().argv, (Argv{"adb", "shell", "pm", "list", "packages", "-f"}));
    EXPECT_EQ(AdbListPackages().text, "adb shell pm list packages -f");
}

TEST(AdbCommandsTest, PathsAreOneArgumentEachAndQuotedOnlyInTheText) {
    const std::string apk = "/home/用户/my \"apps\"/$x.apk";
    AdbCommand install = AdbInstall(apk);
    EXPECT_EQ(install.argv, (Argv{"adb", "install", "-r", apk}));
    EXPECT_EQ(install.text, "adb install -r \"/home/用户/my \"apps\"/$x.apk\"");

    AdbCommand pull = AdbPull("com.a-1.apk", "/home/u/备份 folder");
    EXPECT_EQ(pull.argv, (Argv{"adb", "pull", "/data/app/com.a-1.apk", "/home/u/备份 folder"}));
    EXPECT_EQ(pull.text, "adb pull \"/data/app/com.a-1.apk\" \"/home/u/备份 folder\"");

    AdbCommand pullTo = AdbPullToFile("/data/app/~~x==/com.a-y==/base.apk", "/b/com.a.apk");
    EXPECT_EQ(pullTo.argv,
              (Argv{"adb", "pull", "/data/app/~~x==/com.a-y==/base.apk", "/b/com.a.apk"}));
    EXPECT_EQ(pullTo.text, "adb pull \"/data/app/~~x==/com.a-y==/base.apk\" \"/b/com.a.apk\"");
}

// With several phones each command names one; with one, nothing changes.
TEST(AdbCommandsTest, OnDeviceNamesTheSerialRightAfterAdb) {
    const AdbCommand listing = OnDevice(AdbListPackages(), "emulator-5556");
    EXPECT_EQ(listing.argv,
              (Argv{"adb", "-s", "emulator-5556", "shell", "pm", "list", "packages", "-f"}));
    EXPECT_EQ(listing.text, "adb -s emulator-5556 shell pm list packages -f");
    const AdbCommand same = OnDevice(AdbInstall("/a.apk"), "");
    EXPECT_EQ(same.argv, AdbInstall("/a.apk").argv);
    EXPECT_EQ(same.text, AdbInstall("/a.apk").text);
}

TEST(AdbCommandsTest, InstallMultipleTakesEveryPartAndGuardsLeadingDashes) {
    const AdbCommand command = AdbInstallMultiple({"/t/base.apk", "-split_a.apk"});
    EXPECT_EQ(command.argv,
              (Argv{"adb", "install-multiple", "-r", "/t/base.apk", "./-split_a.apk"}));
    EXPECT_EQ(command.text, "adb install-multiple -r \"/t/base.apk\" \"./-split_a.apk\"");
    EXPECT_EQ(AdbConnect("192.168.1.5:5555").argv, (Argv{"adb", "connect", "192.168.1.5:5555"}));
    EXPECT_EQ(AdbDisconnect("192.168.1.5:5555").argv,
              (Argv{"adb", "disconnect", "192.168.1.5:5555"}));
}

}  // namespace
}  // namespace nimbo
