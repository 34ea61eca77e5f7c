#pragma once
// End-to-end fixture: a private adb server and one or more simulated phones
// connected to it, torn down on every path with nothing left running.
//
//   PhoneFixture phones;
//   ASSERT_TRUE(phones.Start(2)) << phones.error();
//   auto r = phones.RunAdb({"-s", phones.serial(0), "install", "-r", apk});
//   phones.SetInstallOutcome(0, "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]");
//   EXPECT_TRUE(phones.Stop()) << phones.error();
//
// Start() sets ANDROID_ADB_SERVER_PORT and ADB_EMU=0 in this process's own
// environment, so adb started by product code and the host-socket client
// both reach the private server; Stop() restores them.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/phonesim_process.h"
#include "support/test_paths.h"

namespace nimbo::test {

struct PhoneOptions {
    bool modern = false;        // advertises "cmd": adb streams its installs
    bool modernLayout = false;  // /data/app/~~x==/<package>-y==/base.apk
    bool crlf = false;          // shell output with CR LF
    std::string framebuffer;    // legacy (default), v1, v2, split, short, refuse
    int width = 320;
    int height = 480;
};

class PhoneFixture {
public:
    PhoneFixture() = default;
    ~PhoneFixture();
    PhoneFixture(const PhoneFixture&) = delete;
    PhoneFixture& operator=(const PhoneFixture&) = delete;

    // False, with error() saying why, when any step fails; whatever had been
    // started is stopped again before it returns.
    bool Start(int phones = 1, const PhoneOptions& options = {});
    // Stops the server and every phone. False when something was left
    // running (error() names it); it is killed all the same.
    bool Stop();
    // One more phone, after Start: announced to the server as an emulator
    // announces itself ("host:emulator:PORT", serial emulator-<PORT-1>), so
    // that the server drops it again when it stops; or connected with
    // "adb connect" as the others. Does not wait for it to be listed. Its
    // index, or -1 (error() says why).
    int AddPhone(bool asEmulator, const PhoneOptions& options = {});
    // Kills one phone; the server notices on its own.
    bool StopPhone(int i);
    const std::string& error() const { return error_; }

    int phoneCount() const { return static_cast<int>(phones_.size()); }
    std::string serial(int i = 0) const;
    uint16_t adbPort() const { return adbPort_; }
    uint16_t phonePort(int i = 0) const { return phones_.at(i).port; }
    pid_t phonePid(int i = 0) const { return phones_.at(i).pid; }
    pid_t adbServerPid() const { return serverPid_; }
    // The phone's file system: data/app/ holds its installed APKs.
    std::filesystem::path stateDir(int i = 0) const;
    // What the phone logged so far.
    std::string PhoneLog(int i = 0) const;

    // Each setting applies from the phone's next request on.
    void SetControl(int i, const std::string& key, const std::string& value);
    void ClearControl(int i);
    // "natural" restores the real outcome.
    void SetInstallOutcome(int i, const std::string& line) { SetControl(i, "install", line); }
    void SetFramebufferMode(int i, const std::string& mode) { SetControl(i, "framebuffer", mode); }
    void SetScreenSize(int i, int width, int height);
    void SetCrLf(int i, bool on) { SetControl(i, "line_endings", on ? "crlf" : "lf"); }
    void SetModernLayout(int i, bool on) { SetControl(i, "layout", on ? "modern" : "legacy"); }

    // Runs the real adb against the private server (stdout and stderr joined).
    CommandResult RunAdb(const std::vector<std::string>& args,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;
    // Waits until "adb devices" shows each serial in the given state.
    bool WaitForState(const std::vector<std::string>& serials, const std::string& state,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    struct Phone {
        pid_t pid = -1;
        uint16_t port = 0;
        bool emulator = false;
        std::filesystem::path dir;
        std::vector<std::pair<std::string, std::string>> control;
    };
    bool Fail(const std::string& why);
    bool StartServer();
    bool StartPhone(int index, const PhoneOptions& options);
    void WriteControl(int i);

    std::optional<TempDir> dir_;
    std::vector<Phone> phones_;
    pid_t serverPid_ = -1;
    uint16_t adbPort_ = 0;
    std::string error_;
    std::optional<std::string> savedPort_;
    std::optional<std::string> savedEmu_;
    bool envSet_ = false;
};

// The simulated phone's program: $NIMBO_PHONESIM, else beside this program,
// else under the build tree's bin/.
std::filesystem::path PhonesimProgram();

}  // namespace nimbo::test
