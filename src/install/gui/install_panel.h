#pragma once
// The main window's install buttons (1002, 1004, 1010). The handlers only
// write the start text and hand over to a worker thread; nothing is disabled,
// so a second click runs a second install beside the first.
#include <string>

#include "adbtool/app_context.h"
#include "ui/dialog.h"

namespace nimbo {

class InstallPanel {
public:
    // `window` outlives the panel.
    InstallPanel(ui::Dialog& window, AppContext& context) : window_(window), context_(context) {}

    void OnChooseApkFile();  // 1002: the chosen path into 1001
    // Puts `file` into 1001 as the chooser would (ApkPathForField) for files
    // named outside the chooser: the command line, a dropped file. False, and
    // 1001 unchanged, when it names no file.
    bool FillApkPath(const std::string& file);
    void OnStartApkInstall();        // 1004
    void OnStartCompanionInstall();  // 1010

private:
    ui::Dialog& window_;
    AppContext& context_;
};

}  // namespace nimbo
