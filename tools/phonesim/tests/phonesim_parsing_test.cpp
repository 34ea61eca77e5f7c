// The phone's parsers: shell words, control settings, device paths, packet headers.
#include <gtest/gtest.h>

#include "adb_packet.h"
#include "device_fs.h"
#include "phone_settings.h"
#include "shell_words.h"

namespace nimbo::phonesim {
namespace {

using Words = std::vector<std::string>;

TEST(ShellWords, UnquotesAsAShellDoes) {
    struct Case {
        std::string line;
        Words words;
    };
    const Case cases[] = {
        {"pm list packages -f", {"pm", "list", "packages", "-f"}},
        {"  pm\t 'install'  '-r' ", {"pm", "install", "-r"}},
        // adb's quoting of a path that holds a single quote.
        {"pm 'install' '/data/local/tmp/it'\\''s.apk'",
         {"pm", "install", "/data/local/tmp/it's.apk"}},
        {"ls \"/a b/\\\"c\\\" \\$x \\n\"", {"ls", "/a b/\"c\" $x \\n"}},
        {"rm a\\ b ''", {"rm", "a b", ""}},
        {"echo '中文 路径'", {"echo", "中文 路径"}},
    };
    for (const auto& c : cases) {
        auto parsed = ParseShellCommand(c.line);
        ASSERT_TRUE(parsed) << c.line;
        EXPECT_EQ(parsed->words, c.words) << c.line;
        EXPECT_TRUE(parsed->redirections.empty()) << c.line;
    }
    for (std::string bad : {"echo 'open", "echo \"open", "echo trailing\\", "ls >"}) {
        EXPECT_FALSE(ParseShellCommand(bad)) << bad;
    }
}

TEST(ShellWords, CommandListsSplitOnlyAtUnquotedSemicolons) {
    EXPECT_EQ(SplitCommandList("echo '== a;b'; pm path a;pm path \"b;\" ; ls \\;x"),
              (Words{"echo '== a;b'", " pm path a", "pm path \"b;\" ", " ls \\;x"}));
    EXPECT_EQ(SplitCommandList("pm list packages -f"), (Words{"pm list packages -f"}));
}

TEST(ShellWords, RedirectionsAreSeparatedFromWords) {
    auto c = ParseShellCommand("rm -f '/data/local/tmp/x.apk' </dev/null");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->words, (Words{"rm", "-f", "/data/local/tmp/x.apk"}));
    ASSERT_EQ(c->redirections.size(), 1u);
    EXPECT_EQ(c->redirections[0].fd, 0);
    EXPECT_EQ(c->redirections[0].op, "<");
    EXPECT_EQ(c->redirections[0].target, "/dev/null");

    c = ParseShellCommand("ls /x 2>&1 >> '/sdcard/out file' a'>'b");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->words, (Words{"ls", "/x", "a>b"}));
    ASSERT_EQ(c->redirections.size(), 2u);
    EXPECT_EQ(c->redirections[0].fd, 2);
    EXPECT_EQ(c->redirections[0].op, ">&");
    EXPECT_EQ(c->redirections[0].target, "1");
    EXPECT_EQ(c->redirections[1].fd, 1);
    EXPECT_EQ(c->redirections[1].op, ">>");
    EXPECT_EQ(c->redirections[1].target, "/sdcard/out file");
}

TEST(PhoneSettings, ControlTextOverridesTheBaseLineByLine) {
    PhoneSettings base;
    base.modern = true;
    std::string errors;
    PhoneSettings s = ParseControl(
        "# a comment\n"
        "install = Failure [INSTALL_FAILED_OLDER_SDK]\r\n"
        "framebuffer=v2\n"
        "size=1080x2400\n"
        "line_endings=crlf\n"
        "layout=modern\n"
        "size=0x10\n"
        "size=12x\n"
        "colour=blue\n"
        "no equals sign\n",
        base, &errors);
    EXPECT_EQ(s.forcedInstallOutcome, "Failure [INSTALL_FAILED_OLDER_SDK]");
    EXPECT_EQ(s.framebuffer, FramebufferMode::Version2);
    EXPECT_EQ(s.screenWidth, 1080);
    EXPECT_EQ(s.screenHeight, 2400);
    EXPECT_TRUE(s.crlf);
    EXPECT_EQ(s.layout, PackageLayout::Modern);
    EXPECT_TRUE(s.modern);
    // Each bad line is named, and none of them changed anything.
    EXPECT_NE(errors.find("size=0x10"), std::string::npos);
    EXPECT_NE(errors.find("size=12x"), std::string::npos);
    EXPECT_NE(errors.find("unknown setting 'colour'"), std::string::npos);
    EXPECT_NE(errors.find("expected key=value"), std::string::npos);

    s = ParseControl("install=natural\nmodern=off\nframebuffer=refuse\n", s, nullptr);
    EXPECT_TRUE(s.forcedInstallOutcome.empty());
    EXPECT_FALSE(s.modern);
    EXPECT_EQ(s.framebuffer, FramebufferMode::Refuse);
}

TEST(PhoneSettings, DelaysAreMillisecondsUpToAnHour) {
    std::string errors;
    PhoneSettings s = ParseControl(
        "install_delay_ms=30000\n"
        "list_delay_ms = 250\r\n"
        "pull_delay_ms=3600000\n",
        PhoneSettings(), &errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(s.installDelayMs, 30000);
    EXPECT_EQ(s.listDelayMs, 250);
    EXPECT_EQ(s.pullDelayMs, 3600000);

    // Each refused value names itself and leaves the delay as it was.
    errors.clear();
    PhoneSettings t = ParseControl(
        "install_delay_ms=-1\n"
        "install_delay_ms=3600001\n"
        "list_delay_ms=1.5\n"
        "list_delay_ms=\n"
        "pull_delay_ms=30s\n"
        "pull_delay_ms=99999999999999999999\n",
        s, &errors);
    EXPECT_EQ(t.installDelayMs, 30000);
    EXPECT_EQ(t.listDelayMs, 250);
    EXPECT_EQ(t.pullDelayMs, 3600000);
    for (const char* bad : {"install_delay_ms=-1", "install_delay_ms=3600001", "list_delay_ms=1.5",
                            "list_delay_ms='", "pull_delay_ms=30s", "pull_delay_ms=9999"}) {
        EXPECT_NE(errors.find(bad), std::string::npos) << bad << " in\n" << errors;
    }
    EXPECT_NE(errors.find("must be a number of milliseconds"), std::string::npos);

    // 0 turns a delay off again; the command line uses the same keys.
    EXPECT_EQ(ApplySetting(t, "pull_delay_ms", "0"), "");
    EXPECT_EQ(t.pullDelayMs, 0);
}

TEST(DeviceFs, PathsStayInsideTheRoot) {
    DeviceFs fs("/state");
    EXPECT_EQ(fs.Map("/data/app/a.apk"), std::filesystem::path("/state/data/app/a.apk"));
    EXPECT_EQ(fs.Map("data//app/./a.apk"), std::filesystem::path("/state/data/app/a.apk"));
    EXPECT_EQ(fs.Map("/data/app/../local/x"), std::filesystem::path("/state/data/local/x"));
    EXPECT_EQ(fs.Map("/"), std::filesystem::path("/state"));
    EXPECT_FALSE(fs.Map("/../etc/passwd"));
    EXPECT_FALSE(fs.Map("/data/../../etc"));
    EXPECT_FALSE(fs.Map(std::string("/data\0/x", 8)));
}

TEST(AdbPacket, EncodedPacketsDecodeAndBrokenHeadersAreNamed) {
    Packet p{kCmdWrte, 3, 9, "hello"};
    std::string bytes = EncodePacket(p, true);
    ASSERT_EQ(bytes.size(), kHeaderSize + 5);
    std::array<unsigned char, kHeaderSize> raw;
    std::copy(bytes.begin(), bytes.begin() + kHeaderSize, raw.begin());
    PacketHeader h = DecodeHeader(raw);
    EXPECT_EQ(h.command, kCmdWrte);
    EXPECT_EQ(h.arg0, 3u);
    EXPECT_EQ(h.arg1, 9u);
    EXPECT_EQ(h.length, 5u);
    EXPECT_EQ(h.checksum, uint32_t('h' + 'e' + 'l' + 'l' + 'o'));
    EXPECT_EQ(CheckHeader(h, 1024), "");
    EXPECT_EQ(EncodePacket(p, false).substr(16, 4), std::string(4, '\0'));

    PacketHeader badMagic = h;
    badMagic.magic = 0;
    EXPECT_NE(CheckHeader(badMagic, 1024).find("bad magic"), std::string::npos);
    PacketHeader unknown = h;
    unknown.command = 0x00010203;
    unknown.magic = unknown.command ^ 0xffffffffu;
    EXPECT_EQ(CheckHeader(unknown, 1024), "unknown command \\x03\\x02\\x01\\x00");
    PacketHeader huge = h;
    huge.length = 4096;
    EXPECT_NE(CheckHeader(huge, 1024).find("exceeds"), std::string::npos);
}

}  // namespace
}  // namespace nimbo::phonesim
