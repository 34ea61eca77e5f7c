#pragma once
// What the windows and workers are handed instead of reaching for globals:
// the folders, the process launcher, the shell opener, the dialogs and the
// clock. The program fills it with the real pieces, tests with their own.
#include <chrono>

#include "adbtool/command_runner.h"
#include "platform/clock.h"
#include "ui/dialogs.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell.h"

namespace nimbo {

struct AppContext {
    platform::Paths paths;
    platform::ProcessLauncher* launcher = nullptr;
    platform::ShellOpener* shell = nullptr;
    ui::Dialogs* dialogs = nullptr;
    platform::Clock* clock = nullptr;
    // Runs adb commands; built on launcher and clock.
    CommandRunner* runner = nullptr;
    // The adb server that start-up launches needs a moment to come up and find
    // the phones; while the device list stays empty for that reason it is read
    // again this many times, this far apart. 0 reads it once only.
    int startupDeviceRetries = 30;
    std::chrono::milliseconds startupDeviceRetryInterval{500};
};

}  // namespace nimbo
