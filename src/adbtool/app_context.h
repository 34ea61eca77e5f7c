#pragma once
// What the windows and workers are handed instead of reaching for globals:
// the folders, the process launcher, the shell opener, the dialogs and the
// clock. The program fills it with the real pieces, tests with their own.
#include <chrono>
#include <functional>

#include "adbtool/adb_endpoint.h"
#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "ui/dialogs.h"

namespace nimbo {

struct AppContext {
    platform::Paths paths;
    platform::ProcessLauncher* launcher = nullptr;
    platform::ShellOpener* shell = nullptr;
    ui::Dialogs* dialogs = nullptr;
    platform::Clock* clock = nullptr;
    // Runs adb commands; built on launcher and clock.
    CommandRunner* runner = nullptr;
    // Runs the install, listing and export workers; stopped and joined before
    // runner, launcher and shell go.
    WorkerRuntime* workers = nullptr;
    // The adb server that start-up launches needs a moment to come up and find
    // the phones; while the device list stays empty for that reason it is read
    // again this many times, this far apart. 0 reads it once only.
    int startupDeviceRetries = 30;
    std::chrono::milliseconds startupDeviceRetryInterval{500};
    // Where the windows find the adb host server, asked anew at every use;
    // empty: this process's server (DefaultAdbEndpoint: ANDROID_ADB_SERVER_PORT
    // or 5037, read each time). Only host and port are taken from it: each use
    // brings its own time-outs.
    std::function<AdbEndpoint()> adbEndpoint;
    // How long the device list waits for the server (connect, each receive or
    // send); the window's thread waits that long for a silent server.
    platform::SocketTimeouts deviceListTimeouts = kDeviceListTimeouts;
    // Whether the device list follows plugging and unplugging by itself
    // (host:track-devices on a background worker). The program turns it on;
    // tests that script the server leave it off unless they test it.
    bool trackDevices = false;

    // The host server's endpoint for one use with these time-outs.
    AdbEndpoint AdbServer(platform::SocketTimeouts timeouts) const {
        AdbEndpoint endpoint = adbEndpoint ? adbEndpoint() : DefaultAdbEndpoint();
        endpoint.timeouts = timeouts;
        return endpoint;
    }
};

}  // namespace nimbo
