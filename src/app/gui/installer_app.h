#pragma once
// The application object: builds the real platform pieces, the window
// system's dialogs and the session, runs the main window modally and ends the
// program when it closes.
//
// The end, in this order, so that no worker ever uses something already gone:
//   1. The main window is destroyed (InitInstance): its link is cut, so a
//      worker waiting for the window thread is let go and every later hop is
//      refused; its screenshot windows go with it.
//   2. The session's workers are stopped and joined, at most kWorkerStopBound
//      (ExitInstance, through EndSession): the stop kills each worker's adb
//      child and ends its waits. A worker still running after that is
//      reported once on stderr, and the process ends at once with the exit
//      code, running no destructor (std::_Exit).
//   3. The members go, last declared first: session_ (nothing left to join),
//      context_, runner_, clock_, dialogs_, shell_, launcher_.
//   4. main's QApplication, the window system, goes last.
#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "adbtool/app_context.h"
#include "app/session.h"

namespace nimbo {

class InstallerApp {
public:
    static constexpr std::chrono::milliseconds kWorkerStopBound{2000};

    InstallerApp();
    ~InstallerApp();
    // A file for the install path field when the main window opens (the
    // command line's); call before InitInstance.
    void SetStartApkFile(std::string file) { startApkFile_ = std::move(file); }
    // Runs the main window; returns the process exit code.
    int InitInstance();
    int ExitInstance();

private:
    // Keep this order: what the workers use is declared before the session,
    // so it is destroyed after the session's workers have been joined.
    std::unique_ptr<platform::ProcessLauncher> launcher_;
    std::unique_ptr<platform::ShellOpener> shell_;
    std::unique_ptr<ui::Dialogs> dialogs_;
    std::unique_ptr<platform::Clock> clock_;
    std::unique_ptr<CommandRunner> runner_;
    AppContext context_;
    Session session_;
    std::string startApkFile_;
};

}  // namespace nimbo
