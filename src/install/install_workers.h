#pragma once
// Installing an APK on the phone: picking the file, and the two install runs
// (the file named in the path field 1001, and our companion package) that
// report through the install status line 1008.
//
// The window's handlers write the start text and call Launch...; everything
// after that happens on a detached worker thread that reaches the window only
// through the DialogItems link, so it may outlive the window:
//   items->SetDlgItemText(ids::kInstallStatus, kApkInstallStartText);
//   LaunchApkInstallWorker(items, *context.runner);
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "adbtool/command_runner.h"
#include "ui/dialog_items.h"
#include "ui/dialogs.h"

namespace nimbo {

inline constexpr const char* kChooseApkTitle = "请选择Android、Kelvo安装文件";
inline constexpr const char* kApkFilterText = "APK文件 (*.apk)";
inline constexpr const char* kApkFilterPattern = "*.apk";
inline constexpr const char* kApkInstallStartText = "开始安装中...";
inline constexpr const char* kCompanionInstallStartText = "开始安装APK版本...";
inline constexpr const char* kNoApkChosenText = "请先选择APK文件";
inline constexpr const char* kApkMissingText = "请选择的APK文件不存在请重新选择";
inline constexpr const char* kCompanionFileName = "quillet.apk";

// Shows the file-open dialog; the path to put into 1001, or nullopt when the
// user cancelled or the chosen path does not exist (1001 stays as it was).
std::optional<std::string> ChooseApkFilePath(ui::Dialogs& dialogs);

// Judges each piece of install output and writes the verdict into 1008; a
// piece without a verdict leaves 1008 alone.
OutputSink InstallStatusSink(std::shared_ptr<ui::DialogItems> items);

// How a worker ended, for tests; the user learns it from 1008 alone.
enum class InstallEnd {
    NoFileChosen,  // 1001 empty: adb not run
    FileMissing,   // 1001 names nothing that exists: adb not run
    NotStarted,    // adb could not be started: 1008 keeps the start text
    Finished,      // adb's output ended; 1008 shows the last verdict
};

// Reads 1001, checks it and runs `adb install -r PATH` with its output judged
// piece by piece. Blocks until adb's output ends.
InstallEnd ApkInstallWorker(const std::shared_ptr<ui::DialogItems>& items,
                            const CommandRunner& runner);
// Installs systemDir/quillet.apk the same way. The file is not checked first:
// if it is missing, adb's own complaint is judged like any other output.
InstallEnd CompanionInstallWorker(const std::shared_ptr<ui::DialogItems>& items,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir);

// Start the worker on a detached thread and return at once. The runner must
// outlive the worker (it lives as long as the program).
void LaunchApkInstallWorker(std::shared_ptr<ui::DialogItems> items,
                            const CommandRunner& runner);
void LaunchCompanionInstallWorker(std::shared_ptr<ui::DialogItems> items,
                                  const CommandRunner& runner, std::filesystem::path systemDir);

// Install threads started by the Launch functions: how many still run and how
// many have ended since the program started. Lets a test (or a shutdown) wait
// until no worker uses the runner any more.
struct InstallWorkerCounts {
    int running = 0;
    int finished = 0;
};
InstallWorkerCounts InstallWorkers();

}  // namespace nimbo
