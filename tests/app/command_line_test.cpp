// The command line as a desktop entry, a shell and a user's slip give it.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nimbo {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, NothingOrOneFileOpensTheWindow) {
    EXPECT_EQ(Parse({}).action, Action::Run);
    EXPECT_EQ(Parse({}).apkFile, "");

    const CommandLine one = Parse({"/home/user/下载/游戏 1.apk"});
    EXPECT_EQ(one.action, Action::Run);
    EXPECT_EQ(one.apkFile, "/home/user/下载/游戏 1.apk");
    // "-" and anything after "--" are names, even names that look like options.
    EXPECT_EQ(Parse({"-"}).apkFile, "-");
    EXPECT_EQ(Parse({"--", "-weird.apk"}).apkFile, "-weird.apk");
    EXPECT_EQ(Parse({"--", "--help"}).action, Action::Run);
    EXPECT_EQ(Parse({"--", "--help"}).apkFile, "--help");
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStand) {
    EXPECT_EQ(Parse({"--help"}).action, Action::Help);
    EXPECT_EQ(Parse({"-h"}).action, Action::Help);
    EXPECT_EQ(Parse({"--version"}).action, Action::Version);
    EXPECT_EQ(Parse({"-v"}).action, Action::Version);
    // Before the window system has taken out its own options, and past a
    // file or a mistake.
    EXPECT_EQ(Parse({"-platform", "offscreen", "--version"}).action, Action::Version);
    EXPECT_EQ(Parse({"a.apk", "b.apk", "--help"}).action, Action::Help);
    EXPECT_EQ(Parse({"--bogus", "--version"}).action, Action::Version);
}

TEST(CommandLine, UnknownOptionsAndASecondFileAreErrorsThatSayWhat) {
    const CommandLine unknown = Parse({"a.apk", "--install"});
    EXPECT_EQ(unknown.action, Action::Error);
    EXPECT_NE(unknown.error.find("--install"), std::string::npos);

    EXPECT_EQ(Parse({"-x"}).action, Action::Error);
    EXPECT_EQ(Parse({"a.apk", "b.apk"}).action, Action::Error);
    EXPECT_EQ(Parse({"--", "a.apk", "b.apk"}).action, Action::Error);
    EXPECT_EQ(Parse({""}).action, Action::Error);
}

TEST(CommandLine, VersionAndHelpTexts) {
    const std::string version = VersionText();
    ASSERT_EQ(version.rfind("Nimbo ", 0), 0u);
    EXPECT_GT(version.size(), std::string("Nimbo ").size());
    EXPECT_EQ(version.find('\n'), std::string::npos);

    const std::string help = HelpText();
    EXPECT_EQ(help.rfind("用法: nimbo [APK文件]\n", 0), 0u);
    EXPECT_NE(help.find(version), std::string::npos);
    for (const char* option : {"--help", "--version"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.back(), '\n');
}

}  // namespace
}  // namespace nimbo
