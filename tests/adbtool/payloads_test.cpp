// The embedded payload table and writing payloads to disk, including a target
// that a running program holds.
#include "adbtool/payloads.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "adbtool/command_runner.h"
#include "support/phonesim_apk.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using payloads::Folder;

std::string ReadFile(const fs::path& p) { return test::ReadFileBytes(p); }

std::string Bytes(int resourceId) {
    auto b = payloads::FindPayloadBytes(resourceId);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

class PayloadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        paths_.systemDir = root_.path() / "system";
        paths_.driverDir = root_.path() / "android_usb_windows";
        paths_.driverI386Dir = paths_.driverDir / "i386";
        fs::create_directories(paths_.systemDir);
        fs::create_directories(paths_.driverI386Dir);
    }
    size_t FileCount() const {
        size_t n = 0;
        for (auto it = fs::recursive_directory_iterator(root_.path());
             it != fs::recursive_directory_iterator(); ++it) {
            n += it->is_regular_file();
        }
        return n;
    }

    test::TempDir root_;
    platform::Paths paths_;
};

TEST(PayloadTableTest, NumbersIdsNamesAndFolders) {
    struct Row {
        int number, id;
        std::string name;
        Folder folder;
    };
    const Row expected[] = {{1, 138, "adb", Folder::System},
                            {2, 139, "AdbWinApi.dll", Folder::System},
                            {3, 140, "quillet.apk", Folder::System},
                            {4, 141, "android_winusb.inf", Folder::Driver},
                            {5, 142, "androidwinusb86.cat", Folder::Driver},
                            {6, 145, "WdfCoInstaller01007.dll", Folder::DriverI386},
                            {7, 159, "WinUSBCoInstaller.dll", Folder::DriverI386},
                            {8, 160, "WUDFUpdate_01007.dll", Folder::DriverI386}};
    ASSERT_EQ(payloads::PayloadTable().size(), 8u);
    for (const Row& r : expected) {
        const payloads::PayloadInfo* row = payloads::FindPayload(r.number);
        ASSERT_NE(row, nullptr) << r.number;
        EXPECT_EQ(row->resourceId, r.id);
        EXPECT_EQ(row->fileName, r.name);
        EXPECT_EQ(row->folder, r.folder);
        EXPECT_FALSE(payloads::FindPayloadBytes(r.id).empty()) << r.name;
    }
    EXPECT_EQ(payloads::FindPayload(0), nullptr);
    EXPECT_EQ(payloads::FindPayload(9), nullptr);
    EXPECT_TRUE(payloads::FindPayloadBytes(143).empty());
}

TEST(PayloadTableTest, ContentsAreWhatTheirNamesPromise) {
    EXPECT_EQ(Bytes(138).substr(0, 4),
              "\x7f"
              "ELF");                          // a real adb program
    EXPECT_EQ(Bytes(140).substr(0, 2), "PK");  // quillet.apk is a zip archive
    const std::string inf = Bytes(141);
    EXPECT_NE(inf.find("CatalogFile.NTx86   = androidwinusb86.cat"), std::string::npos);
    EXPECT_NE(inf.find("\\i386"), std::string::npos);
    for (const char* co :
         {"WdfCoInstaller01007.dll", "WinUSBCoInstaller.dll", "WUDFUpdate_01007.dll"}) {
        EXPECT_NE(inf.find(co), std::string::npos) << co;
    }
}

TEST_F(PayloadsTest, CompanionPackageNamesItsPackageInTheManifest) {
    ASSERT_EQ(ExtractPayload(3, paths_), 1);
    auto launcher = platform::MakeSystemProcessLauncher(paths_.systemDir);
    struct NoSleep : platform::Clock {
        platform::LocalTime Now() override { return {}; }
        void Sleep(std::chrono::milliseconds) override {}
    } clock;
    CommandRunner runner(*launcher, clock);
    std::string listing, manifest;
    fs::path apk = paths_.systemDir / "quillet.apk";
    runner.RunCommand({{"unzip", "-Z1", apk.string()}, "unzip -Z1"}, DeliveryMode::Accumulated,
                      [&](OutputChunk c) { listing = c; });
    runner.RunCommand({{"unzip", "-p", apk.string(), "AndroidManifest.xml"}, "unzip -p"},
                      DeliveryMode::Accumulated, [&](OutputChunk c) { manifest = c; });
    EXPECT_EQ(listing, "AndroidManifest.xml\nclasses.dex\n");
    EXPECT_NE(manifest.find("package=\"com.quillet.installer\""), std::string::npos);
}

TEST_F(PayloadsTest, EveryPayloadLandsInItsFolderWithExactlyItsBytes) {
    // A longer old file must not leave its tail behind.
    std::ofstream(paths_.driverDir / "android_winusb.inf") << std::string(100000, 'z');
    for (int number = 1; number <= 8; ++number) {
        const payloads::PayloadInfo& row = *payloads::FindPayload(number);
        ASSERT_EQ(ExtractPayload(number, paths_), 1) << number;
        ASSERT_EQ(ExtractPayload(number, paths_), 1) << number;  // again: no appending
        EXPECT_EQ(ReadFile(PayloadPath(row, paths_)), Bytes(row.resourceId)) << row.fileName;
    }
    EXPECT_TRUE(fs::exists(paths_.driverDir / "androidwinusb86.cat"));
    EXPECT_TRUE(fs::exists(paths_.driverI386Dir / "WUDFUpdate_01007.dll"));
    EXPECT_EQ(FileCount(), 8u);
    auto adbPerms = fs::status(paths_.systemDir / "adb").permissions();
    EXPECT_NE(adbPerms & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(PayloadsTest, UnknownNumbersMissingFoldersAndMissingBytesWriteNothing) {
    EXPECT_EQ(ExtractPayload(0, paths_), 0);
    EXPECT_EQ(ExtractPayload(9, paths_), 0);
    EXPECT_EQ(ExtractPayload(-1, paths_), 0);
    EXPECT_EQ(FileCount(), 0u);

    fs::remove_all(paths_.driverDir);
    EXPECT_EQ(ExtractPayload(4, paths_), 0);
    EXPECT_EQ(ExtractPayload(6, paths_), 0);
    EXPECT_FALSE(fs::exists(paths_.driverDir));  // folders are never created here

    auto nothing = [](int) { return std::span<const unsigned char>(); };
    EXPECT_EQ(ExtractPayload(2, paths_, nothing), 0);
    EXPECT_FALSE(fs::exists(paths_.systemDir / "AdbWinApi.dll"));
}

TEST_F(PayloadsTest, ProgramFileHeldByARunningProgramIsLeftWhole) {
    fs::path adb = paths_.systemDir / "adb";
    fs::copy_file("/bin/sleep", adb);
    const std::string old = ReadFile(adb);
    auto launcher = platform::MakeSystemProcessLauncher(paths_.systemDir);
    auto running = launcher->Start({"adb", "1000"});  // our "adb server"
    ASSERT_TRUE(running.ok());

    EXPECT_EQ(ExtractPayload(1, paths_), 0);
    EXPECT_EQ(ReadFile(adb), old);

    (*running)->Cancel();
    char buffer[16];
    while ((*running)->Read(buffer) > 0) {
    }
    running.value().reset();
}

}  // namespace
}  // namespace nimbo
