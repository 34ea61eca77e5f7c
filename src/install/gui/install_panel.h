#pragma once
// The main window's install buttons (1002, 1004, 1010). The handlers only
// write the start text and hand over to a worker thread; nothing is disabled,
// so a second click runs a second install beside the first.
#include <functional>
#include <string>
#include <vector>

#include "adbtool/app_context.h"
#include "ui/dialog.h"

namespace nimbo {

class InstallPanel {
public:
    // The phone an install goes to: a serial, or empty for adb's only phone;
    // asked at every click.
    using TargetSerial = std::function<std::string()>;

    // `window` outlives the panel.
    InstallPanel(ui::Dialog& window, AppContext& context, TargetSerial target = {})
        : window_(window), context_(context), target_(std::move(target)) {}

    void OnChooseApkFile();  // 1002: the chosen path into 1001
    // Fills the path field with these files as the chooser would, for files
    // named outside it (a file dropped on the window, one named on the command
    // line): one existing .apk or .apks, or several existing .apk, each by its
    // absolute path (ApkPathForField). False, with the field as it was, for
    // anything else.
    bool FillApkPath(const std::vector<std::string>& paths);
    void OnStartApkInstall();        // 1004
    void OnStartCompanionInstall();  // 1010

private:
    std::string Target() const { return target_ ? target_() : std::string(); }

    ui::Dialog& window_;
    AppContext& context_;
    TargetSerial target_;
};

}  // namespace nimbo
