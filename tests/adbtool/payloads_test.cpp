// Writing the payloads the program carries: each file gets exactly the bytes
// the program embeds, lands where the program then runs or reads it from, and
// a file a running program holds is left whole.
#include "adbtool/payloads.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "adbtool/adb_commands.h"
#include "adbtool/command_runner.h"
#include "support/phonesim_apk.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using payloads::Folder;
using payloads::PayloadInfo;

std::string ReadFile(const fs::path& p) {
    return test::ReadFileBytes(p);
}

std::string Embedded(const PayloadInfo& row) {
    auto b = payloads::FindPayloadBytes(row.resourceId);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

// The payload written under this file name; the test fails when there is none.
const PayloadInfo& Named(const std::string& fileName) {
    for (const PayloadInfo& row : payloads::PayloadTable()) {
        if (fileName == row.fileName) return row;
    }
    ADD_FAILURE() << "no payload is named " << fileName;
    static const PayloadInfo none{0, 0, "", Folder::System};
    return none;
}

struct NoSleep : platform::Clock {
    platform::LocalTime Now() override { return {}; }
    void Sleep(std::chrono::milliseconds) override {}
};

class PayloadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        paths_.systemDir = root_.path() / "system";
        paths_.driverDir = root_.path() / "android_usb_windows";
        paths_.driverI386Dir = paths_.driverDir / "i386";
        fs::create_directories(paths_.systemDir);
        fs::create_directories(paths_.driverI386Dir);
    }
    std::set<fs::path> Files() const {
        std::set<fs::path> files;
        for (auto it = fs::recursive_directory_iterator(root_.path());
             it != fs::recursive_directory_iterator(); ++it) {
            if (it->is_regular_file()) files.insert(it->path());
        }
        return files;
    }
    // The folder the program gives a payload's kind of file.
    fs::path FolderOf(const PayloadInfo& row) const {
        switch (row.folder) {
            case Folder::System:
                return paths_.systemDir;
            case Folder::Driver:
                return paths_.driverDir;
            case Folder::DriverI386:
                return paths_.driverI386Dir;
        }
        return {};
    }

    test::TempDir root_;
    platform::Paths paths_;
};

TEST_F(PayloadsTest, EveryPayloadIsWrittenWithExactlyTheBytesTheProgramCarries) {
    // An old file, longer than the new one, must not leave its tail behind.
    for (const PayloadInfo& row : payloads::PayloadTable()) {
        std::ofstream(FolderOf(row) / row.fileName)
            << std::string(Embedded(row).size() + 4096, 'z');
    }
    std::set<fs::path> written;
    for (const PayloadInfo& row : payloads::PayloadTable()) {
        SCOPED_TRACE(row.fileName);
        ASSERT_FALSE(Embedded(row).empty()) << "the build left it out";
        ASSERT_EQ(ExtractPayload(row.number, paths_), 1);
        ASSERT_EQ(ExtractPayload(row.number, paths_), 1);  // again: nothing appended
        const fs::path file = FolderOf(row) / row.fileName;
        EXPECT_EQ(ReadFile(file), Embedded(row));
        EXPECT_EQ(PayloadPath(row, paths_), file);
        written.insert(file);
    }
    // One file each, and nothing else.
    EXPECT_EQ(written.size(), payloads::PayloadTable().size());
    EXPECT_EQ(Files(), written);
}

TEST_F(PayloadsTest, TheAdbTheCommandsNameIsTheOneWrittenToTheSystemFolder) {
    // The launcher looks a bare program name up in the system folder first:
    // the adb written there is the one every command runs, executable.
    const PayloadInfo& adb = Named(AdbKillServer().argv.front());
    ASSERT_EQ(adb.folder, Folder::System);
    EXPECT_EQ(Embedded(adb).substr(0, 4), std::string("\x7f") + "ELF");  // a program
    // A stand-in for its bytes shows which file runs.
    auto script = [](int) {
        static const std::string text = "#!/bin/sh\necho \"system folder adb $*\"\n";
        return std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(text.data()),
                                              text.size());
    };
    ASSERT_EQ(ExtractPayload(adb.number, paths_, script), 1);
    auto launcher = platform::MakeSystemProcessLauncher(paths_.systemDir);
    NoSleep clock;
    CommandRunner runner(*launcher, clock);
    // An argument no adb acts on: were the stand-in missed, the adb on PATH
    // would only print its help.
    const AdbCommand probe{{AdbKillServer().argv.front(), "--probe"}, "adb --probe"};
    std::string output;
    EXPECT_EQ(
        runner.RunCommand(probe, DeliveryMode::Accumulated, [&](OutputChunk c) { output = c; }),
        RunOutcome::Completed);
    EXPECT_EQ(output, "system folder adb --probe\n");
}

TEST_F(PayloadsTest, CompanionPackageIsAnApkNamingItsPackage) {
    const PayloadInfo& apk = Named("quillet.apk");
    ASSERT_EQ(apk.folder, Folder::System);
    ASSERT_EQ(ExtractPayload(apk.number, paths_), 1);
    auto launcher = platform::MakeSystemProcessLauncher(paths_.systemDir);
    NoSleep clock;
    CommandRunner runner(*launcher, clock);
    std::string listing, manifest;
    fs::path file = paths_.systemDir / apk.fileName;
    runner.RunCommand({{"unzip", "-Z1", file.string()}, "unzip -Z1"}, DeliveryMode::Accumulated,
                      [&](OutputChunk c) { listing = c; });
    runner.RunCommand({{"unzip", "-p", file.string(), "AndroidManifest.xml"}, "unzip -p"},
                      DeliveryMode::Accumulated, [&](OutputChunk c) { manifest = c; });
    EXPECT_EQ(listing, "AndroidManifest.xml\nclasses.dex\n");
    EXPECT_NE(manifest.find("package=\"com.quillet.installer\""), std::string::npos);
}

TEST(PayloadContents, TheDriverSetupNamesTheFilesWrittenBesideIt) {
    const PayloadInfo& inf = Named("android_winusb.inf");
    const std::string text = Embedded(inf);
    // Its catalogue sits beside it; the co-installers in the i386 folder.
    int named = 0;
    for (const PayloadInfo& row : payloads::PayloadTable()) {
        if (row.folder == Folder::System || row.number == inf.number) continue;
        SCOPED_TRACE(row.fileName);
        EXPECT_NE(text.find(row.fileName), std::string::npos);
        ++named;
    }
    EXPECT_GT(named, 0);
    EXPECT_NE(text.find("CatalogFile.NTx86   = androidwinusb86.cat"), std::string::npos);
    EXPECT_NE(text.find("\\i386"), std::string::npos);
}

TEST_F(PayloadsTest, UnknownNumbersMissingFoldersAndMissingBytesWriteNothing) {
    const size_t count = payloads::PayloadTable().size();
    for (int number : {0, -1, static_cast<int>(count) + 1}) {
        EXPECT_EQ(payloads::FindPayload(number), nullptr) << number;
        EXPECT_EQ(ExtractPayload(number, paths_), 0) << number;
    }
    EXPECT_TRUE(Files().empty());

    // Folders are never made here: the driver package makes its own.
    fs::remove_all(paths_.driverDir);
    for (const PayloadInfo& row : payloads::PayloadTable()) {
        if (row.folder == Folder::System) continue;
        EXPECT_EQ(ExtractPayload(row.number, paths_), 0) << row.fileName;
    }
    EXPECT_FALSE(fs::exists(paths_.driverDir));

    auto nothing = [](int) { return std::span<const unsigned char>(); };
    const PayloadInfo& adb = Named(AdbKillServer().argv.front());
    EXPECT_EQ(ExtractPayload(adb.number, paths_, nothing), 0);
    EXPECT_FALSE(fs::exists(paths_.systemDir / adb.fileName));
}

TEST_F(PayloadsTest, ProgramFileHeldByARunningProgramIsLeftWhole) {
    // Start-up rewrites adb while an old server may still run from it.
    const PayloadInfo& adbRow = Named(AdbKillServer().argv.front());
    fs::path adb = paths_.systemDir / adbRow.fileName;
    fs::copy_file("/bin/sleep", adb);
    const std::string old = ReadFile(adb);
    auto launcher = platform::MakeSystemProcessLauncher(paths_.systemDir);
    auto running = launcher->Start({adbRow.fileName, "1000"});  // our "adb server"
    ASSERT_TRUE(running.ok());

    EXPECT_EQ(ExtractPayload(adbRow.number, paths_), 0);
    EXPECT_EQ(ReadFile(adb), old);

    (*running)->Cancel();
    char buffer[16];
    while ((*running)->Read(buffer) > 0) {
    }
    running.value().reset();
}

}  // namespace
}  // namespace nimbo

namespace nimbo {
namespace {

// adb's WinUSB library goes beside adb when the build embedded it (a Windows
// build given a Windows adb), byte for byte; a build without it writes nothing.
TEST(PayloadCompanions, EmbeddedCompanionsAreWrittenBesideAdbAndMissingOnesAreNot) {
    test::TempDir root;
    platform::Paths paths;
    paths.systemDir = root.path();
    static const std::string kBytes("MZ\0\x01library", 11);
    auto embedded = [](int id) {
        return id == 162 ? std::span<const unsigned char>(
                               reinterpret_cast<const unsigned char*>(kBytes.data()), kBytes.size())
                         : std::span<const unsigned char>();
    };
    EXPECT_EQ(ExtractSystemCompanions(paths, embedded), 1);
    std::ifstream in(root.path() / "AdbWinUsbApi.dll", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kBytes);

    test::TempDir empty;
    paths.systemDir = empty.path();
    auto nothing = [](int) { return std::span<const unsigned char>(); };
    EXPECT_EQ(ExtractSystemCompanions(paths, nothing), 0);
    EXPECT_TRUE(fs::is_empty(empty.path()));
}

}  // namespace
}  // namespace nimbo
