#include "support_gui/main_window_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "support/phonesim_process.h"
#include "support/scripted_server.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo::test {
namespace {

// Runs the window's fire-and-forget commands as tracked children, so the
// harness can end "adb wait-for-device" (which otherwise waits for a phone
// forever) before it stops the private server.
class TrackingLauncher final : public platform::ProcessLauncher {
public:
    explicit TrackingLauncher(std::unique_ptr<platform::ProcessLauncher> real)
        : real_(std::move(real)) {}
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>& argv) override {
        return real_->Start(argv);
    }
    Result<bool, platform::SpawnError> LaunchDetached(
        const std::vector<std::string>& argv) override {
        auto child = real_->Start(argv);
        if (!child) return Err{child.error()};
        std::lock_guard lock(mutex_);
        detached_.push_back(std::move(*child));
        return true;
    }
    void StopAll() {
        std::lock_guard lock(mutex_);
        for (auto& c : detached_) c->Cancel();
        detached_.clear();
    }

private:
    std::unique_ptr<platform::ProcessLauncher> real_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<platform::ChildOutput>> detached_;
};

}  // namespace

MainWindowHarness::MainWindowHarness(Adb adb) : realAdb_(adb == Adb::Real) {
    // The window's start-up runs adb kill-server and wait-for-device: with the
    // real adb, give it a private server so a developer's own adb server is
    // never touched.
    if (realAdb_ && !std::getenv("ANDROID_ADB_SERVER_PORT")) {
        setenv("ANDROID_ADB_SERVER_PORT", std::to_string(FreeLoopbackPort()).c_str(), 1);
        setenv("ADB_EMU", "0", 1);
        ownsServer_ = true;
    }
    const auto& root = temp_.path();
    context_.paths.systemDir = root / "system";
    context_.paths.driverDir = root / "home" / "android_usb_windows";
    context_.paths.driverI386Dir = context_.paths.driverDir / "i386";
    context_.paths.documentsDir = root / "home" / "Documents";
    std::filesystem::create_directories(root / "home" / "Documents");
    if (realAdb_) {
        launcher_ = std::make_unique<TrackingLauncher>(
            platform::MakeSystemProcessLauncher(context_.paths.systemDir));
    } else {
        // Nothing is started, not even the adb that start-up writes into the
        // system folder; the device list finds no server until a test names one.
        auto recording = std::make_unique<RecordingLauncher>();
        recording_ = recording.get();
        launcher_ = std::move(recording);
        UseAdbServerAt(ScriptedServer::UnusedPort());
    }
    runner_ = std::make_unique<CommandRunner>(*launcher_, clock_);
    context_.launcher = launcher_.get();
    context_.shell = &shell_;
    context_.dialogs = &dialogs_;
    context_.clock = &clock_;
    context_.runner = runner_.get();
    context_.workers = &session_.workers;
    // Tests read the device list when they choose to; the start-up retries
    // have a test of their own.
    context_.startupDeviceRetries = 0;
}

MainWindowHarness::~MainWindowHarness() {
    dialog_.reset();
    QApplication::processEvents();
    // As the program ends: the window first, then its workers, whose adb
    // children the stop kills.
    session_.workers.StopAndJoin(std::chrono::seconds(60));
    if (realAdb_) static_cast<TrackingLauncher&>(*launcher_).StopAll();
    if (ownsServer_) {
        // A server that wait-for-device was still starting may come up a moment
        // after the first kill (slowly, on a busy machine): repeat until the port has
        // stayed quiet for a second and a half.
        const auto port = static_cast<uint16_t>(std::atoi(std::getenv("ANDROID_ADB_SERVER_PORT")));
        int quiet = 0;
        for (int i = 0; i < 120 && quiet < 15; ++i) {
            if (PortIsListening(port)) {
                quiet = 0;
                // The adb on PATH, not the window's: a test may have put a
                // stand-in into the system folder that cannot stop a server.
                RunCaptured({"adb", "kill-server"}, std::chrono::seconds(10));
            } else {
                ++quiet;
            }
            QThread::msleep(100);
        }
        unsetenv("ANDROID_ADB_SERVER_PORT");
        unsetenv("ADB_EMU");
    }
}

MainDialog& MainWindowHarness::Open(const std::string& startApkFile) {
    dialog_ = std::make_unique<MainDialog>(context_, session_);
    dialog_->SetStartApkFile(startApkFile);
    dialog_->Create();
    // Start-up finishes from the event loop once the window shows.
    WaitUntil([&] { return dialog_->StartupFinished(); });
    QApplication::processEvents();
    return *dialog_;
}

RecordingLauncher& MainWindowHarness::Launcher() {
    if (!recording_) throw std::logic_error("the harness runs the real adb");
    return *recording_;
}

void MainWindowHarness::UseAdbServerAt(uint16_t port) {
    context_.adbEndpoint = [port] {
        AdbEndpoint endpoint;
        endpoint.port = port;
        return endpoint;
    };
}

void MainWindowHarness::CloseWindow() {
    dialog_.reset();
    QApplication::processEvents();
}

std::string MainWindowHarness::Text(int id) {
    return dialog_->ItemTextNow(id);
}

void MainWindowHarness::Click(int id) {
    if (auto* b = qobject_cast<QAbstractButton*>(ui::qt::WidgetOf(*dialog_, id))) b->click();
}

bool MainWindowHarness::WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

}  // namespace nimbo::test
