// Installs through the real adb, old-style (push then pm) and streamed (cmd).
#include <gtest/gtest.h>

#include <fstream>

#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"

namespace nimbo::test {
namespace {

std::string LastLine(const std::string& text) {
    std::string t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
    size_t nl = t.rfind('\n');
    return nl == std::string::npos ? t : t.substr(nl + 1);
}

// adb writes its progress to a buffered stdout and failures to stderr, so in a
// joined pipe the failure can come before "Performing Streamed Install".
bool HasLine(const std::string& text, const std::string& line) {
    std::string t = "\n" + text;
    return t.find("\n" + line + "\n") != std::string::npos ||
           (t.size() >= line.size() + 1 && t.ends_with("\n" + line));
}

class PushInstallTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(1)) << phones_.error(); }
    void TearDown() override { EXPECT_TRUE(phones_.Stop()) << phones_.error(); }
    std::string Install(const std::filesystem::path& apk, bool replace = true) {
        std::vector<std::string> args = {"-s", phones_.serial(), "install"};
        if (replace) args.push_back("-r");
        args.push_back(apk.string());
        auto r = phones_.RunAdb(args);
        // adb reports a failed push install with exit code 0: only the words count.
        return r.output;
    }
    std::string Packages() {
        return phones_.RunAdb({"-s", phones_.serial(), "shell", "pm", "list", "packages", "-f"})
            .output;
    }
    PhoneFixture phones_;
    TempDir dir_;
};

TEST_F(PushInstallTest, InstallsAndListsAndRefusesReinstallWithoutReplace) {
    auto apk = dir_.path() / "x.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.x"));
    EXPECT_EQ(LastLine(Install(apk)), "Success");
    EXPECT_NE(Packages().find("package:/data/app/com.example.x-1.apk=com.example.x\n"),
              std::string::npos)
        << Packages();
    EXPECT_EQ(LastLine(Install(apk, false)), "Failure [INSTALL_FAILED_ALREADY_EXISTS]");

    // A replace keeps one copy of the package, under the other of its two names.
    EXPECT_EQ(LastLine(Install(apk)), "Success");
    std::string list = Packages();
    EXPECT_NE(list.find("/data/app/com.example.x-2.apk=com.example.x"), std::string::npos);
    EXPECT_EQ(list.find("com.example.x-1.apk"), std::string::npos) << list;
    // The pushed copy is cleaned up after the install.
    EXPECT_FALSE(std::filesystem::exists(phones_.stateDir() / "data/local/tmp/x.apk"));
}

TEST_F(PushInstallTest, NaturalAndForcedFailuresPrintAsAdbPrintsThem) {
    auto notZip = dir_.path() / "broken.apk";
    { std::ofstream(notZip) << "this is not a zip archive"; }
    std::string out = Install(notZip);
    EXPECT_EQ(LastLine(out).rfind("Failure [INSTALL_PARSE_FAILED_NOT_APK: ", 0), 0u) << out;

    auto missing = dir_.path() / "gone.apk";
    out = Install(missing);
    EXPECT_NE(
        out.find("adb: error: cannot stat '" + missing.string() + "': No such file or directory"),
        std::string::npos)
        << out;

    auto apk = dir_.path() / "y.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.y"));
    for (std::string forced :
         {"Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]", "Failure [INSTALL_FAILED_OLDER_SDK]",
          "Failure [INSTALL_FAILED_DEXOPT]"}) {
        phones_.SetInstallOutcome(0, forced);
        EXPECT_EQ(LastLine(Install(apk)), forced);
    }
    EXPECT_EQ(Packages().find("com.example.y"), std::string::npos);
    phones_.SetInstallOutcome(0, "natural");
    EXPECT_EQ(LastLine(Install(apk)), "Success");
}

TEST_F(PushInstallTest, PackageNameComesFromManifestElseFromFileName) {
    auto apk = dir_.path() / "Some Name.apk";
    ASSERT_TRUE(MakeTestApk(apk, "org.sample.app"));
    EXPECT_EQ(LastLine(Install(apk)), "Success");
    // The state folder is the phone's disk: a file dropped there is an installed app.
    std::filesystem::copy_file(apk, phones_.stateDir() / "data/app/net.dropped-1.apk");
    { std::ofstream(phones_.stateDir() / "data/app/plain.apk") << "no zip"; }
    std::string list = Packages();
    EXPECT_NE(list.find("package:/data/app/org.sample.app-1.apk=org.sample.app\n"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("package:/data/app/net.dropped-1.apk=org.sample.app\n"), std::string::npos);
    EXPECT_NE(list.find("package:/data/app/plain.apk=plain\n"), std::string::npos);
    EXPECT_NE(list.find("package:/system/app/"), std::string::npos);
}

TEST_F(PushInstallTest, CrLfAndModernLayoutOnRequest) {
    auto apk = dir_.path() / "z.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.z"));
    phones_.SetModernLayout(0, true);
    EXPECT_EQ(LastLine(Install(apk)), "Success");
    phones_.SetCrLf(0, true);
    std::string list = Packages();
    // Every line ends in CR LF, none in a bare LF.
    for (size_t at = list.find('\n'); at != std::string::npos; at = list.find('\n', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(list[at - 1], '\r') << list;
    }
    size_t start = list.find("package:/data/app/~~");
    ASSERT_NE(start, std::string::npos) << list;
    std::string line = list.substr(start, list.find('\r', start) - start);
    // package:/data/app/~~<22>==/com.example.z-<22>==/base.apk=com.example.z
    EXPECT_EQ(line.size(), std::string("package:/data/app/~~==/com.example.z-==/base.apk=").size() +
                               44 + std::string("com.example.z").size())
        << line;
    EXPECT_TRUE(line.ends_with("==/base.apk=com.example.z")) << line;

    // A pull of that path returns the installed bytes.
    std::string path = line.substr(8, line.rfind('=') - 8);
    auto back = dir_.path() / "back.apk";
    phones_.RunAdb({"-s", phones_.serial(), "pull", path, back.string()});
    EXPECT_EQ(ReadFileBytes(back), ReadFileBytes(apk));
}

class StreamedInstallTest : public PushInstallTest {
protected:
    void SetUp() override {
        PhoneOptions options;
        options.modern = true;
        ASSERT_TRUE(phones_.Start(1, options)) << phones_.error();
    }
};

TEST_F(StreamedInstallTest, SuccessAndFailuresAsAdbPrintsThem) {
    auto apk = dir_.path() / "s.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.s", 300 * 1024));
    auto r = phones_.RunAdb({"-s", phones_.serial(), "install", "-r", apk.string()});
    EXPECT_NE(r.output.find("Performing Streamed Install"), std::string::npos) << r.output;
    EXPECT_EQ(LastLine(r.output), "Success");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(Packages().find("/data/app/com.example.s-1.apk=com.example.s"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(phones_.stateDir() / "data/app/com.example.s-1.apk"),
              ReadFileBytes(apk));

    r = phones_.RunAdb({"-s", phones_.serial(), "install", apk.string()});
    EXPECT_TRUE(HasLine(r.output, "adb: failed to install " + apk.string() +
                                      ": Failure [INSTALL_FAILED_ALREADY_EXISTS]"))
        << r.output;
    EXPECT_EQ(r.exitCode, 1);

    phones_.SetInstallOutcome(0, "Failure [INSTALL_FAILED_INVALID_APK]");
    r = phones_.RunAdb({"-s", phones_.serial(), "install", "-r", apk.string()});
    EXPECT_TRUE(HasLine(r.output, "adb: failed to install " + apk.string() +
                                      ": Failure [INSTALL_FAILED_INVALID_APK]"))
        << r.output;

    auto notZip = dir_.path() / "n.apk";
    { std::ofstream(notZip) << "plain text"; }
    phones_.SetInstallOutcome(0, "natural");
    r = phones_.RunAdb({"-s", phones_.serial(), "install", "-r", notZip.string()});
    EXPECT_NE(r.output.find("Failure [INSTALL_PARSE_FAILED_NOT_APK: "), std::string::npos)
        << r.output;
    // The scratch copy of a streamed install does not linger.
    EXPECT_TRUE(std::filesystem::is_empty(phones_.stateDir() / "data/local/tmp"));
}

}  // namespace
}  // namespace nimbo::test
