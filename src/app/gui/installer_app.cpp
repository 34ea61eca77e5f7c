#include "app/gui/installer_app.h"

#include "adbtool/adb_program.h"
#include "app/gui/main_dialog.h"
#include "ui/dialogs.h"

namespace nimbo {

InstallerApp::InstallerApp() {
    context_.paths = platform::DefaultPaths();
    // The adb carried and written into the system directory, or the system's
    // own when the program carries none (adbtool/adb_program.h).
    launcher_ = platform::MakeSystemProcessLauncher(ProgramSearchDir(context_.paths));
    shell_ = platform::MakeDesktopShellOpener(*launcher_);
    dialogs_ = ui::MakeSystemDialogs();
    clock_ = platform::MakeSystemClock();
    context_.launcher = launcher_.get();
    context_.shell = shell_.get();
    context_.dialogs = dialogs_.get();
    context_.clock = clock_.get();
    runner_ = std::make_unique<CommandRunner>(*launcher_, *clock_);
    context_.runner = runner_.get();
    context_.workers = &session_.workers;
    context_.trackDevices = true;
}

InstallerApp::~InstallerApp() = default;

int InstallerApp::InitInstance() {
    {
        MainDialog dialog(context_, session_);
        dialog.SetStartApkFile(startApkFile_);
        dialog.DoModal();
    }  // the window goes first: its link is cut before the workers are stopped
    return ExitInstance();
}

int InstallerApp::ExitInstance() {
    return EndSession(session_, kWorkerStopBound, 0);
}

}  // namespace nimbo
