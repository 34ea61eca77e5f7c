#pragma once
// What nimbo-pictures hands the windows instead of adb, a browser and a
// pointer: a launcher that starts nothing and answers with canned output, a
// shell opener that opens nothing, and the few window chores the pictures need.
#include <QPoint>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adbtool/worker_runtime.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "ui/dialog.h"

class QWidget;

namespace nimbo::pictures {

// Starts nothing. A command with `word` among its arguments prints the answer
// given for it; any other prints nothing.
class CannedAdb final : public platform::ProcessLauncher {
public:
    void Answer(std::string word, std::string output) {
        answers_.emplace_back(std::move(word), std::move(output));
    }
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>& argv) override;
    Result<bool, platform::SpawnError> LaunchDetached(const std::vector<std::string>&) override {
        return true;
    }

private:
    std::vector<std::pair<std::string, std::string>> answers_;
};

class QuietShell final : public platform::ShellOpener {
public:
    bool OpenFolder(const std::string&) override { return true; }
    bool OpenUrl(const std::string&, bool) override { return true; }
};

// A loopback port where nothing listens (bound, then released), so the
// windows' own reads of the device list find no server at once.
uint16_t NoServerPort();
// The rows a server reporting `lines` ("SERIAL\tSTATE\n" each) would give, in
// the main window's device list; the first becomes the current device.
void ShowDevices(ui::Dialog& main, const std::string& lines);
// Clicks the window's button.
void Press(ui::Dialog& window, int id);
// Runs the event loop until no worker runs (their reports hop onto it), at
// most ten seconds.
void WaitForWorkers(WorkerRuntime& workers);
// The pointer over a widget, and away from it.
void SendMouseMove(QWidget* widget, QPoint local);
void SendLeave(QWidget* widget);

}  // namespace nimbo::pictures
