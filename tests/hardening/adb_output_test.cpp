// What adb may print or be handed that a parser or a command line could
// choke on: ten megabytes of output, a path that looks like an option, and
// the inputs the fuzzers found (tests/hardening/inputs/, one file per find,
// named after its fuzz target).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "adbtool/adb_commands.h"
#include "adbtool/command_runner.h"
#include "install/classify_install_output.h"
#include "install/install_test_support.h"
#include "install/install_workers.h"
#include "packages/package_list_parser.h"
#include "packages/package_test_support.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

constexpr size_t kTenMegabytes = 10u * 1024 * 1024;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class HostileAdbOutput : public ::testing::Test {
protected:
    // A package listing of at least ten megabytes in CR LF lines, as a phone
    // with very many packages would print it; returns the package count.
    size_t WriteHugeListing() {
        std::string text;
        size_t count = 0;
        while (text.size() < kTenMegabytes) {
            text += "package:/data/app/com.example.app" + std::to_string(count) +
                    "-1/base.apk=com.example.app" + std::to_string(count) + "\r\n";
            ++count;
        }
        text.resize(text.size() - 2);  // no final line end, as adb shell leaves it
        adb_.Prints(text);
        return count;
    }

    test::AdbScript adb_;
    test::FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(adb_.dir());
    CommandRunner runner_{*launcher_, clock_, [](const std::string&) {}};
};

TEST_F(HostileAdbOutput, TenMegabytesArriveWholeInBothDeliveryModes) {
    const size_t packages = WriteHugeListing();
    const std::string expected = ReadAll(adb_.dir() / "output");
    ASSERT_GE(expected.size(), kTenMegabytes);

    std::string accumulated;
    int deliveries = 0;
    EXPECT_EQ(runner_.RunCommand(AdbListPackages(), DeliveryMode::Accumulated,
                                 [&](OutputChunk all) {
                                     accumulated.assign(all);
                                     ++deliveries;
                                 }),
              RunOutcome::Completed);
    EXPECT_EQ(deliveries, 1);
    EXPECT_TRUE(accumulated == expected);  // not EXPECT_EQ: no 10 MB diff on failure
    // Every package becomes a row; the last one printed is on top.
    const auto rows = ParsePackageList(accumulated);
    ASSERT_EQ(rows.size(), packages);
    EXPECT_EQ(rows.front().packageName, "com.example.app" + std::to_string(packages - 1));
    EXPECT_EQ(rows.back().targetFileName, "com.example.app0.apk");

    size_t total = 0;
    bool piecesFit = true;
    std::string verdicts;
    EXPECT_EQ(runner_.RunCommand(AdbInstall("/tmp/x.apk"), DeliveryMode::PerChunk,
                                 [&](OutputChunk piece) {
                                     total += piece.size();
                                     piecesFit = piecesFit && piece.size() <= kChunkReadSize;
                                     if (ClassifyInstallOutput(piece)) verdicts += "!";
                                 }),
              RunOutcome::Completed);
    EXPECT_EQ(total, expected.size());
    EXPECT_TRUE(piecesFit);
    EXPECT_EQ(verdicts, "");  // package lines carry no verdict
}

TEST_F(HostileAdbOutput, VerdictAtTheEndOfTenMegabytesIsStillFound) {
    std::string flood;
    while (flood.size() < kTenMegabytes) flood += "[ 42%] /data/local/tmp/x.apk\r";
    EXPECT_EQ(ClassifyInstallOutput(flood + "\nSuccess\r\n"), "安装成功,请在手机功能表中运行使用");
    EXPECT_EQ(ClassifyInstallOutput(flood + "\nFailure [INSTALL_FAILED_OLDER_SDK]\r\n"),
              "安装失败,该软件版本过老,联系APK文件的开发商");
    EXPECT_EQ(ClassifyInstallOutput(flood), std::nullopt);
}

TEST_F(HostileAdbOutput, PathBeginningWithADashReachesAdbAsAFileNotAnOption) {
    EXPECT_EQ(AdbInstall("-r.apk").argv,
              (std::vector<std::string>{"adb", "install", "-r", "./-r.apk"}));
    EXPECT_EQ(AdbInstall("-s").text, "adb install -r \"./-s\"");
    // Absolute paths and relative ones without a dash are left as they are.
    EXPECT_EQ(AdbInstall("/home/u/-x.apk").argv.back(), "/home/u/-x.apk");
    EXPECT_EQ(AdbInstall("x-.apk").argv.back(), "x-.apk");

    // Typed into the path field relative to the working folder, the file is
    // found, and adb is handed a path it cannot read as one of its options.
    test::TempDir work;
    const fs::path before = fs::current_path();
    fs::current_path(work.path());
    std::ofstream("-l.apk") << "PK";
    auto view = std::make_shared<test::RecordingInstallView>();
    view->TypeApkPath("-l.apk");
    adb_.Prints("Success\n");
    const InstallEnd end = ApkInstallWorker(view, runner_);
    fs::current_path(before);
    EXPECT_EQ(end, InstallEnd::Finished);
    ASSERT_EQ(adb_.Calls().size(), 1u);
    EXPECT_EQ(adb_.Calls()[0], (std::vector<std::string>{"install", "-r", "./-l.apk"}));
}

// Every input a fuzzer ever crashed on, replayed through the same checks.
TEST(FuzzFindings, PackageListInputsNeverNameAFileOutsideTheExportFolder) {
    int replayed = 0;
    for (const auto& entry : fs::directory_iterator(test::SourceDir() / "tests/hardening/inputs")) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with("package_list_")) continue;
        ++replayed;
        for (const PackageRow& row : ParsePackageList(ReadAll(entry.path()))) {
            EXPECT_EQ(row.targetFileName.find('/'), std::string::npos) << file;
            EXPECT_NE(row.targetFileName, "..") << file;
            EXPECT_NE(row.targetFileName, ".") << file;
            EXPECT_EQ(row.name.find("/../"), std::string::npos) << file;
            EXPECT_FALSE(row.name.ends_with("/..") || row.name.ends_with("/.")) << file;
        }
    }
    EXPECT_GE(replayed, 1);
    // The find itself: folders of "." and ".." give no rows at all.
    for (const char* line :
         {"package:/data/app/./", "package:/data/app//.", "package:/data/app/../..",
          "package:/data/app/..", "package:/data/app/x/../../y.apk=com.y"}) {
        EXPECT_TRUE(ParsePackageList(line).empty()) << line;
    }
    EXPECT_EQ(ParsePackageList("package:/data/app/a..b-1/base.apk=a.b").size(), 1u);
}

}  // namespace
}  // namespace nimbo
