#pragma once
// A main window with scripted dialogs, a recording shell opener and a clock
// that does not sleep; every folder it writes lives under one temporary
// directory. By default no adb runs: a recording launcher takes every command
// (its scripted output answers) and the device list and screenshots find the
// adb host server at an endpoint the test chooses. Adb::Real (end-to-end tests)
// runs adb from the system folder or PATH on a private server port instead.
#include <QImage>
#include <functional>
#include <memory>
#include <string>

#include "adbtool/app_context.h"
#include "app/gui/main_dialog.h"
#include "app/session.h"
#include "support/fakes.h"
#include "support/recording_launcher.h"
#include "support/test_paths.h"
#include "ui/qt/list_view.h"

namespace nimbo::test {

class MainWindowHarness {
public:
    enum class Adb { Recorded, Real };
    explicit MainWindowHarness(Adb adb = Adb::Recorded);
    ~MainWindowHarness();

    // Builds the window and runs its start-up as the modal loop would, but
    // returns at once (the window is shown modeless). startApkFile: as the
    // command line hands it over (MainDialog::SetStartApkFile).
    MainDialog& Open(const std::string& startApkFile = {});
    MainDialog& Window() { return *dialog_; }
    // Destroys the window as closing it does, while the runner and everything
    // else the workers use stay alive.
    void CloseWindow();
    AppContext& Context() { return context_; }
    // The window's session: its workers (joined when the harness goes) and state.
    Session& AppSession() { return session_; }
    WorkerRuntime& Workers() { return session_.workers; }
    ScriptedDialogs& Dialogs() { return dialogs_; }
    // Every command the window ran and what each prints (Adb::Recorded only).
    RecordingLauncher& Launcher();
    // The device list and screenshots reach the host server on this loopback
    // port (Adb::Recorded starts on one where nothing listens).
    void UseAdbServerAt(uint16_t port);
    RecordingShell& Shell() { return shell_; }
    FakeClock& Clock() { return clock_; }
    const std::filesystem::path& Root() const { return temp_.path(); }

    std::string Text(int id);
    void Click(int id);
    // Runs the event loop until pred holds or the wait ends (default 60 s).
    static bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 60000);
    // A list of the window as the Qt widget it is.
    static ui::qt::QtListView& QtList(ui::ListView* list) {
        return dynamic_cast<ui::qt::QtListView&>(*list);
    }

private:
    TempDir temp_;
    ScriptedDialogs dialogs_;
    RecordingShell shell_;
    FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_;
    RecordingLauncher* recording_ = nullptr;  // launcher_, unless adb is real
    std::unique_ptr<CommandRunner> runner_;
    AppContext context_;
    // After what its workers use, before the window that uses it.
    Session session_;
    std::unique_ptr<MainDialog> dialog_;
    bool realAdb_ = false;
    bool ownsServer_ = false;
};

}  // namespace nimbo::test
