#pragma once
// A main window on real pieces (process launcher, adb via PATH, files) with
// scripted dialogs, a recording shell opener and a clock that does not sleep;
// every folder it writes lives under one temporary directory.
#include <QImage>
#include <functional>
#include <memory>
#include <string>

#include "adbtool/app_context.h"
#include "app/gui/main_dialog.h"
#include "support/fakes.h"
#include "support/test_paths.h"
#include "ui/qt/list_view.h"

namespace nimbo::test {

class MainWindowHarness {
public:
    MainWindowHarness();
    ~MainWindowHarness();

    // Builds the window and runs its start-up as the modal loop would, but
    // returns at once (the window is shown modeless).
    MainDialog& Open();
    MainDialog& Window() { return *dialog_; }
    // Destroys the window as closing it does, while the runner and everything
    // else the workers use stay alive.
    void CloseWindow();
    AppContext& Context() { return context_; }
    ScriptedDialogs& Dialogs() { return dialogs_; }
    RecordingShell& Shell() { return shell_; }
    FakeClock& Clock() { return clock_; }
    const std::filesystem::path& Root() const { return temp_.path(); }

    std::string Text(int id);
    void Click(int id);
    // Runs the event loop until pred holds or the wait ends (default 60 s).
    static bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 60000);
    // Saves a picture of the window under <build>/pictures/<name>.png.
    static std::filesystem::path SaveWindowPicture(QWidget& w, const std::string& name);
    static std::filesystem::path SaveWindowPicture(const ui::Dialog& w, const std::string& name);
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
    std::unique_ptr<CommandRunner> runner_;
    AppContext context_;
    std::unique_ptr<MainDialog> dialog_;
    bool ownsServer_ = false;
};

}  // namespace nimbo::test
