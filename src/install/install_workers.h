#pragma once
// Installing an APK on the phone: picking the file, and the two install runs
// (the file named in the path field, and our companion package) that report
// through the install status line.
//
// The window's handlers write the start text and call Launch...; everything
// after that happens on a detached worker thread that reaches the window only
// through its InstallView (install_view.h), so it may outlive the window:
//   view->ShowInstallStatus(kApkInstallStartText);
//   LaunchApkInstallWorker(view, *context.runner);
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "adbtool/command_runner.h"
#include "install/install_view.h"
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

// Shows the file-open dialog; the path to put into the path field, or nullopt
// when the user cancelled or the chosen path does not exist (the field stays
// as it was).
std::optional<std::string> ChooseApkFilePath(ui::Dialogs& dialogs);

// Judges each piece of install output and shows the verdict on the install
// status line; a piece without a verdict leaves the line alone.
OutputSink InstallStatusSink(std::shared_ptr<InstallView> view);

// How a worker ended, for tests; the user learns it from the status line alone.
enum class InstallEnd {
    NoFileChosen,  // path field empty: adb not run
    FileMissing,   // the path names nothing that exists: adb not run
    NotStarted,    // adb could not be started: the status line keeps the start text
    Finished,      // adb's output ended; the status line shows the last verdict
};

// Reads the path field, checks it and runs `adb install -r PATH` with its
// output judged piece by piece. Blocks until adb's output ends.
InstallEnd ApkInstallWorker(const std::shared_ptr<InstallView>& view, const CommandRunner& runner);
// Installs systemDir/quillet.apk the same way. The file is not checked first:
// if it is missing, adb's own complaint is judged like any other output.
InstallEnd CompanionInstallWorker(const std::shared_ptr<InstallView>& view,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir);

// Start the worker on a detached thread and return at once. The runner must
// outlive the worker (it lives as long as the program).
void LaunchApkInstallWorker(std::shared_ptr<InstallView> view, const CommandRunner& runner);
void LaunchCompanionInstallWorker(std::shared_ptr<InstallView> view, const CommandRunner& runner,
                                  std::filesystem::path systemDir);

// Install threads started by the Launch functions: how many still run and how
// many have ended since the program started. Lets a test (or a shutdown) wait
// until no worker uses the runner any more.
struct InstallWorkerCounts {
    int running = 0;
    int finished = 0;
};
InstallWorkerCounts InstallWorkers();

}  // namespace nimbo
