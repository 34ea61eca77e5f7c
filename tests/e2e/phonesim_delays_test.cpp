// The simulated phone's held answers, through the real adb: a held request
// keeps only its own stream waiting until its delay passes or is lowered, a
// held request whose adb goes away is dropped, and a held answer that is
// waited for arrives whole.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"
#include "support/phonesim_process.h"

namespace nimbo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class PhoneDelaysTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(1)) << phones_.error(); }

    // Starts an adb command that is expected to wait on the phone.
    pid_t StartAdb(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"adb", "-s", phones_.serial()};
        argv.insert(argv.end(), args.begin(), args.end());
        return SpawnChild(argv, -1, -1);
    }

    bool LogShows(const std::string& text, std::chrono::milliseconds timeout = 20s) {
        for (const auto deadline = std::chrono::steady_clock::now() + timeout;;) {
            if (phones_.PhoneLog().find(text) != std::string::npos) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
    }

    CommandResult Adb(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"-s", phones_.serial()};
        all.insert(all.end(), args.begin(), args.end());
        return phones_.RunAdb(all);
    }

    PhoneFixture phones_;
    TempDir files_;
};

TEST_F(PhoneDelaysTest, HeldListingKeepsOnlyItsOwnStreamWaitingUntilReleased) {
    phones_.SetControl(0, "list_delay_ms", "600000");
    std::atomic<bool> listed{false};
    CommandResult listing;
    std::thread lister([&] {
        listing = Adb({"shell", "pm", "list", "packages", "-f"});
        listed = true;
    });
    // Also on an early return: a thread left joinable would end the program.
    struct ReleaseAndJoin {
        PhoneFixture& phones;
        std::thread& thread;
        ~ReleaseAndJoin() {
            phones.SetControl(0, "list_delay_ms", "0");
            if (thread.joinable()) thread.join();
        }
    } release{phones_, lister};
    ASSERT_TRUE(LogShows("holding the answer to 'pm list packages' for 600000 ms"))
        << phones_.PhoneLog();

    // The same transport serves other streams meanwhile: a shell, a push, a pull.
    const fs::path file = files_.path() / "payload.bin";
    std::ofstream(file, std::ios::binary) << std::string(200000, 'x');
    auto r = Adb({"shell", "ls", "/"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("sdcard"), std::string::npos) << r.output;
    r = Adb({"push", file.string(), "/sdcard/payload.bin"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    r = Adb({"pull", "/sdcard/payload.bin", (files_.path() / "back.bin").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(ReadFileBytes(files_.path() / "back.bin"), ReadFileBytes(file));
    EXPECT_FALSE(listed) << "the held listing answered early: " << listing.output;

    // Lowering the delay releases the answer already held.
    phones_.SetControl(0, "list_delay_ms", "0");
    lister.join();
    EXPECT_EQ(listing.exitCode, 0) << listing.output;
    EXPECT_NE(listing.output.find("package:/system/app/"), std::string::npos) << listing.output;
}

TEST_F(PhoneDelaysTest, InstallDroppedWhenItsAdbGoesAwayAndDoneWhenWaitedFor) {
    const fs::path apk = files_.path() / "held.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.held"));
    phones_.SetControl(0, "install_delay_ms", "60000");
    const pid_t install = StartAdb({"install", apk.string()});
    ASSERT_TRUE(LogShows("holding the answer to 'pm install'")) << phones_.PhoneLog();
    ASSERT_TRUE(KillAndReap(install));
    ASSERT_TRUE(LogShows("while 'pm install' was held; dropped")) << phones_.PhoneLog();
    EXPECT_EQ(Adb({"shell", "pm", "list", "packages"}).output.find("com.example.held"),
              std::string::npos);

    // A short hold that adb waits out: the install and a pull both complete.
    phones_.SetControl(0, "install_delay_ms", "300");
    phones_.SetControl(0, "pull_delay_ms", "300");
    auto r = Adb({"install", apk.string()});
    EXPECT_NE(r.output.find("Success"), std::string::npos) << r.output;
    r = Adb({"pull", "/data/app/com.example.held-1.apk", (files_.path() / "pulled.apk").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(ReadFileBytes(files_.path() / "pulled.apk"), ReadFileBytes(apk));
    EXPECT_NE(
        phones_.PhoneLog().find("holding the answer to 'RECV /data/app/com.example.held-1.apk'"),
        std::string::npos)
        << phones_.PhoneLog();
}

}  // namespace
}  // namespace nimbo::test
