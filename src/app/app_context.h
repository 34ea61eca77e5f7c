#pragma once
// What the windows and workers are handed instead of reaching for globals:
// the folders, the process launcher, the shell opener, the dialogs and the
// clock. The program fills it with the real pieces, tests with their own.
#include "app/command_runner.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell.h"

namespace nimbo {

struct AppContext {
    platform::Paths paths;
    platform::ProcessLauncher* launcher = nullptr;
    platform::ShellOpener* shell = nullptr;
    platform::Dialogs* dialogs = nullptr;
    platform::Clock* clock = nullptr;
    // Runs adb commands; built on launcher and clock.
    CommandRunner* runner = nullptr;
};

}  // namespace nimbo
