// Closing the program while it works: an install, a package listing and an
// export each wait on a phone that holds its answers for half a minute, and
// the main window is closed with "退出", with the close box or with Alt+F4.
// The program must still end at once and cleanly:
//  - its application object is gone within 3 s of the close (it gives its
//    workers 2 s; the rest is margin for a loaded machine and the sanitizer
//    builds), and by then none of the adb commands it started still runs;
//  - the phone then answers the held requests, and nothing wakes to use the
//    freed application: the process exits normally, with code 0;
//  - nothing it started is left running after it.
//
// The program is the real application in a process of its own: this binary
// started again with NIMBO_EXIT_PROGRAM set (exit_while_working_program.h),
// with a private home, data and documents folder and an adb server port of
// its own. It lingers half a second after its application object is gone, so
// the phone's answers reach any worker that outlived it before it exits. This
// process is the child subreaper, so whatever the program leaves behind is
// handed to us and can be counted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "app/gui/installer_app.h"
#include "e2e/exit_while_working_program.h"
#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"
#include "support/phonesim_process.h"
#include "support/process_tree.h"
#include "support/test_paths.h"

namespace nimbo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long the program stays after its application object is gone.
constexpr std::chrono::milliseconds kLinger{500};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Describe(const std::vector<ProcessInfo>& processes) {
    std::string out;
    for (const auto& p : processes) {
        out += "\n  " + std::to_string(p.pid) + ":";
        for (const auto& a : p.argv) out += " " + a;
    }
    return out;
}

// The adb commands below this process: the program's own children, and those
// handed to us when the program ended; zombies not counted.
std::vector<ProcessInfo> AdbClientsBelowUs() {
    std::vector<ProcessInfo> left;
    for (const auto& p : Descendants(::getpid())) {
        if (p.state != 'Z' && IsAdbClient(p)) left.push_back(p);
    }
    return left;
}

// The next line from fd, with what came after it kept in pending; empty when
// none came in time or the writer has gone.
std::string NextLine(int fd, std::string& pending, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (pending.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return {};
        pending.append(buffer, static_cast<size_t>(n));
    }
    const std::string line = pending.substr(0, pending.find('\n'));
    pending.erase(0, line.size() + 1);
    return line;
}

template <typename Pred>
bool Within(std::chrono::milliseconds timeout, Pred pred) {
    for (const auto deadline = Clock::now() + timeout;; std::this_thread::sleep_for(20ms)) {
        if (pred()) return true;
        if (Clock::now() > deadline) return false;
    }
}

class ExitWhileWorkingTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BecomeChildSubreaper()) << std::strerror(errno); }

    void SetUp() override {
        const fs::path& root = dir_.path();
        for (const char* d : {"home", "data", "config", "documents", "export", "phone/state"}) {
            fs::create_directories(root / d);
        }
        std::ofstream(root / "config" / "user-dirs.dirs")
            << "XDG_DOCUMENTS_DIR=\"" << (root / "documents").string() << "\"\n";
        // Two packages, so the export has rows; dropped in as the phone keeps them.
        for (const char* package : {"com.example.first", "com.example.second"}) {
            const fs::path apk = root / "phone/state/data/app" / (std::string(package) + "-1.apk");
            fs::create_directories(apk.parent_path());
            ASSERT_TRUE(MakeTestApk(apk, package, 300000));
        }
        adbPort_ = FreeLoopbackPort();
        ASSERT_NE(adbPort_, 0);
        // Our own adb commands go to the program's server.
        for (const char* name : {"ANDROID_ADB_SERVER_PORT", "ADB_EMU"}) {
            if (const char* v = std::getenv(name)) saved_.emplace_back(name, v);
        }
        ::setenv("ANDROID_ADB_SERVER_PORT", std::to_string(adbPort_).c_str(), 1);
        ::setenv("ADB_EMU", "0", 1);
        StartPhone();
    }

    void TearDown() override {
        if (program_ > 0) KillAndReap(program_);
        for (int fd : {reports_, commands_}) {
            if (fd >= 0) ::close(fd);
        }
        // The server the program's start-up (or our adb connect) left running.
        RunCaptured({"adb", "kill-server"}, 10s);
        EXPECT_TRUE(Within(10s, [&] {
            for (const auto& p : Descendants(::getpid())) {
                if (p.state != 'Z' && IsAdbServer(p)) return false;
            }
            return !PortIsListening(adbPort_);
        }));
        if (phone_ > 0) KillAndReap(phone_);
        ReapZombieChildren();
        ::unsetenv("ANDROID_ADB_SERVER_PORT");
        ::unsetenv("ADB_EMU");
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    }

    void StartPhone() {
        const fs::path dir = dir_.path() / "phone";
        int out[2];
        ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
        const int log = ::open((dir / "phone.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        phone_ = SpawnChild({PhonesimProgram().string(), "--port", "0", "--state",
                             (dir / "state").string(), "--control", (dir / "control").string()},
                            out[1], log);
        ::close(out[1]);
        ::close(log);
        std::string pending;
        const std::string line = NextLine(out[0], pending, 20s);
        ::close(out[0]);
        ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << PhoneLog();
        phoneSerial_ = line.substr(std::strlen("listening on "));
    }

    std::string PhoneLog() const { return ReadAll(dir_.path() / "phone" / "phone.log"); }
    std::string ProgramLog() const { return ReadAll(dir_.path() / "program.log"); }

    void SetPhone(const std::string& control) {
        const fs::path dir = dir_.path() / "phone";
        std::ofstream(dir / "control.partial") << control;
        fs::rename(dir / "control.partial", dir / "control");
    }

    // Starts this binary as the program, closing the window the given way.
    void StartProgram(const std::string& way) {
        const fs::path& root = dir_.path();
        int reports[2], commands[2];
        ASSERT_EQ(::pipe2(reports, O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(commands, O_CLOEXEC), 0);
        const int log =
            ::open((root / "program.log").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const auto env = EnvironmentWith({
            std::string(kProgramVariable) + "=" + way,
            std::string(kExportFolderVariable) + "=" + (root / "export").string(),
            "HOME=" + (root / "home").string(),
            "XDG_DATA_HOME=" + (root / "data").string(),
            "XDG_CONFIG_HOME=" + (root / "config").string(),
            "ANDROID_ADB_SERVER_PORT=" + std::to_string(adbPort_),
            "ADB_EMU=0",
            "QT_QPA_PLATFORM=offscreen",
        });
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        program_ =
            SpawnWithEnvironment({self, "--gtest_filter=ExitWhileWorkingProgram.*"}, env,
                                 {{commands[0], 0}, {log, 1}, {log, 2}, {reports[1], kReportFd}});
        ::close(reports[1]);
        ::close(commands[0]);
        ::close(log);
        reports_ = reports[0];
        commands_ = commands[1];
        ASSERT_GT(program_, 0);
    }

    void Tell(const std::string& word) {
        const std::string line = word + "\n";
        ASSERT_EQ(::write(commands_, line.data(), line.size()), ssize_t(line.size()));
    }

    std::string NextReport(std::chrono::milliseconds timeout) {
        return NextLine(reports_, received_, timeout);
    }

    void Expect(const std::string& word, std::chrono::milliseconds timeout) {
        const std::string line = NextReport(timeout);
        ASSERT_EQ(line, word) << "the program's log:\n" << ProgramLog();
    }

    // Makes the phone known to the server the program's start-up brought up.
    void ConnectPhone() {
        // Its "adb kill-server" must not hit the server we are about to use.
        ASSERT_TRUE(Within(20s, [] {
            for (const auto& p : Descendants(::getpid())) {
                if (p.state != 'Z' && p.argv.size() > 1 && p.argv[1] == "kill-server") return false;
            }
            return true;
        }));
        // The start-up's "adb wait-for-device" may be starting the server right
        // now; a connect that races it finds the port taken and is tried again.
        CommandResult r;
        ASSERT_TRUE(Within(30s, [&] {
            r = RunCaptured({"adb", "connect", phoneSerial_}, 20s);
            return r.output.find("connected to") != std::string::npos;
        })) << r.output;
        ASSERT_TRUE(Within(20s, [&] {
            return RunCaptured({"adb", "devices"}, 10s).output.find(phoneSerial_ + "\tdevice\n") !=
                   std::string::npos;
        }));
        // The start-up's "adb wait-for-device" ends now that there is one.
        ASSERT_TRUE(Within(20s, [] {
            for (const auto& p : Descendants(::getpid())) {
                if (p.state != 'Z' && p.argv.size() > 1 && p.argv[1] == "wait-for-device")
                    return false;
            }
            return true;
        })) << Describe(AdbClientsBelowUs());
        ReapZombieChildren({program_, phone_});
    }

    TempDir dir_;
    uint16_t adbPort_ = 0;
    std::vector<std::pair<std::string, std::string>> saved_;
    pid_t phone_ = -1;
    std::string phoneSerial_;
    pid_t program_ = -1;
    int reports_ = -1;
    int commands_ = -1;
    std::string received_;
};

TEST_P(ExitWhileWorkingTest, ProgramEndsAtOnceAndLeavesNoAdbBehind) {
    const std::string way = GetParam();
    StartProgram(way);
    ASSERT_NO_FATAL_FAILURE(Expect("window", 60s));
    ASSERT_NO_FATAL_FAILURE(ConnectPhone());
    Tell("phone");
    ASSERT_NO_FATAL_FAILURE(Expect("listed", 60s));

    SetPhone(
        "install_delay_ms=30000\nlist_delay_ms=30000\npull_delay_ms=30000\n"
        "frame_delay_ms=30000\n");
    Tell("slow");
    ASSERT_NO_FATAL_FAILURE(Expect("started", 60s));
    // Each of the four has reached the phone, which now holds its answer.
    ASSERT_TRUE(Within(30s, [&] {
        const std::string log = PhoneLog();
        return log.find("holding the answer to 'framebuffer'") != std::string::npos &&
               log.find("holding the answer to 'pm install'") != std::string::npos &&
               log.find("holding the answer to 'pm list packages'") != std::string::npos &&
               log.find("holding the answer to 'RECV /data/app/") != std::string::npos;
    })) << PhoneLog();
    const auto running = AdbClientsBelowUs();
    ASSERT_GE(running.size(), 3u) << Describe(running);

    Tell("close");
    const std::string closing = NextReport(10s);
    ASSERT_EQ(closing.rfind("closing ", 0), 0u) << closing << "\n" << ProgramLog();
    const Clock::time_point closedAt{std::chrono::nanoseconds(std::stoll(closing.substr(8)))};

    // Long enough to see a program that waits for the phone's 30 s.
    const bool gone = NextReport(45s) == "gone";
    const Clock::time_point goneAt = Clock::now();
    std::vector<ProcessInfo> outlived;
    if (gone) {
        // While the program lingers: none of its adb commands may outlive the
        // application (one killed a moment ago may still be on its way out).
        Within(300ms, [&] { return (outlived = AdbClientsBelowUs()).empty(); });
        // The phone answers now, as it might just when the user closes the
        // window; a worker still waiting on adb wakes to freed pieces.
        SetPhone("");
    }
    const std::optional<ChildExit> end = WaitForChild(program_, 45s);
    ASSERT_TRUE(end) << "still running 45 s after the close\n" << ProgramLog();
    program_ = -1;
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(end->at - closedAt);
    EXPECT_TRUE(end->exited && end->code == 0)
        << (end->exited ? "exit code " + std::to_string(end->code)
                        : "ended by signal " + std::to_string(end->signal) + " (" +
                              ::strsignal(end->signal) + ")")
        << ", " << took.count() << " ms after the close; its log:\n"
        << ProgramLog();
    ASSERT_TRUE(gone) << "the program ended without its application object going\n" << ProgramLog();
    const auto toGone = std::chrono::duration_cast<std::chrono::milliseconds>(goneAt - closedAt);
    RecordProperty("close_to_gone_ms", static_cast<int>(toGone.count()));
    RecordProperty("close_to_exit_ms", static_cast<int>(took.count()));
    EXPECT_LE(toGone, 3000ms) << "the application took " << toGone.count() << " ms to go";
    EXPECT_LE(took, 3000ms + kLinger) << "the program took " << took.count() << " ms to end";
    EXPECT_TRUE(outlived.empty()) << "running after the application was gone:"
                                  << Describe(outlived);

    // Nothing it started is left once it has ended.
    EXPECT_TRUE(Within(2s, [] { return AdbClientsBelowUs().empty(); }))
        << "left running:" << Describe(AdbClientsBelowUs());
}

INSTANTIATE_TEST_SUITE_P(ClosedBy, ExitWhileWorkingTest,
                         ::testing::Values("exit-button", "close-box", "alt-f4"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

// The program the cases above start: the application as src/main.cpp runs it
// (this binary's main has made the QApplication the same way), driven by the
// script. Skipped when run as a test of its own.
TEST(ExitWhileWorkingProgram, RunsTheApplication) {
    const char* way = std::getenv(kProgramVariable);
    if (!way) GTEST_SKIP() << "only run as the program that the ExitWhileWorking cases start";
    const char* folder = std::getenv(kExportFolderVariable);
    ExitProgramScript script(way, folder ? folder : "");
    int code = 0;
    {
        InstallerApp installer;
        code = installer.InitInstance();
    }
    // src/main.cpp ends here: the QApplication goes and the process exits.
    // This one lingers first, as a busy machine may hold up an exit: by now
    // the application has ended its workers, so nothing may happen meanwhile,
    // while a worker that outlived it meets the freed pieces as soon as the
    // test lets the phone answer.
    ReportToTest("gone");
    std::this_thread::sleep_for(kLinger);
    EXPECT_TRUE(script.Closed());
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace nimbo::test
