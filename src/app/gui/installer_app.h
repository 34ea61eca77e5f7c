#pragma once
// The application object: builds the real platform pieces and the window
// system's dialogs, runs the main window modally and ends the program when it
// closes.
#include <memory>

#include "adbtool/app_context.h"

namespace nimbo {

class InstallerApp {
public:
    InstallerApp();
    ~InstallerApp();
    // Runs the main window; returns the process exit code.
    int InitInstance();
    int ExitInstance();

private:
    std::unique_ptr<platform::ProcessLauncher> launcher_;
    std::unique_ptr<platform::ShellOpener> shell_;
    std::unique_ptr<ui::Dialogs> dialogs_;
    std::unique_ptr<platform::Clock> clock_;
    std::unique_ptr<CommandRunner> runner_;
    AppContext context_;
};

}  // namespace nimbo
