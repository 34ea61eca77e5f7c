// The real adb, written out from our own payload and run from the system
// directory, against a private server port. When no server runs, adb starts
// one; that server must not keep the output pipe of the command that started
// it, or the worker reading that pipe would never finish.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "adbtool/command_runner.h"
#include "adbtool/payloads.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

uint16_t FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

struct RealClock : platform::Clock {
    std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
    platform::LocalTime Now() override { return clock->Now(); }
    void Sleep(std::chrono::milliseconds d) override { clock->Sleep(d); }
};

class AdbServerPipeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ANDROID_ADB_SERVER_PORT", std::to_string(FreePort()).c_str(), 1);
        setenv("ADB_EMU", "0", 1);
        paths_.systemDir = root_.path();
        ASSERT_EQ(ExtractPayload(1, paths_), 1);
    }
    void TearDown() override { runner_.RunCommand(AdbKillServer(), DeliveryMode::PerChunk, {}); }

    // Runs with a guard that stops the run if the output never ends.
    RunOutcome RunGuarded(const AdbCommand& cmd, DeliveryMode mode, std::string& out) {
        std::stop_source stop;
        std::jthread guard([&](std::stop_token done) {
            for (int i = 0; i < 600 && !done.stop_requested(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            if (!done.stop_requested()) stop.request_stop();
        });
        RunOutcome outcome = runner_.RunCommand(
            cmd, mode, [&](OutputChunk c) { out += c; }, stop.get_token());
        guard.request_stop();
        return outcome;
    }

    test::TempDir root_;
    platform::Paths paths_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(root_.path());
    RealClock clock_;
    CommandRunner runner_{*launcher_, clock_};
};

TEST_F(AdbServerPipeTest, CommandThatStartsTheServerStillEndsItsOutput) {
    fs::path apk = root_.path() / "空 的 \"x\".apk";
    std::ofstream(apk) << "not really an apk";
    std::string installOut;
    ASSERT_EQ(RunGuarded(AdbInstall(apk.string()), DeliveryMode::PerChunk, installOut),
              RunOutcome::Completed);
    EXPECT_NE(installOut.find("daemon started successfully"), std::string::npos) << installOut;
    EXPECT_NE(installOut.find("no devices/emulators found"), std::string::npos) << installOut;

    // The server now runs from the written payload: rewriting it must fail
    // and leave the running program's file whole.
    const std::string before = [&] {
        std::ifstream in(root_.path() / "adb", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    EXPECT_EQ(ExtractPayload(1, paths_), 0);
    std::ifstream in(root_.path() / "adb", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);

    std::string listOut;
    ASSERT_EQ(RunGuarded(AdbListPackages(), DeliveryMode::Accumulated, listOut),
              RunOutcome::Completed);
    EXPECT_NE(listOut.find("no devices/emulators found"), std::string::npos) << listOut;
}

TEST_F(AdbServerPipeTest, ShellCommandStartingTheServerEndsToo) {
    std::string out;
    ASSERT_EQ(RunGuarded(AdbListPackages(), DeliveryMode::Accumulated, out), RunOutcome::Completed);
    EXPECT_NE(out.find("daemon started successfully"), std::string::npos) << out;
}

}  // namespace
}  // namespace nimbo
