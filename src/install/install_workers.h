#pragma once
// Installing an APK on the phone: picking the file, and the two install runs
// (the file named in the path field, and our companion package) that report
// through the install status line.
//
// The window's handlers write the start text and call Launch...; everything
// after that happens on a worker thread of the session's runtime that reaches
// the window only through its InstallView (install_view.h), so it may outlive
// the window:
//   view->ShowInstallStatus(kApkInstallStartText);
//   LaunchApkInstallWorker(*context.workers, view, *context.runner);
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"
#include "install/install_view.h"
#include "ui/dialogs.h"

namespace nimbo {

inline constexpr const char* kChooseApkTitle = "请选择Android、Kelvo安装文件";
inline constexpr const char* kApkFilterText = "APK文件 (*.apk *.apks)";
inline constexpr const char* kApkFilterPattern = "*.apk *.apks";
inline constexpr const char* kApkInstallStartText = "开始安装中...";
inline constexpr const char* kCompanionInstallStartText = "开始安装APK版本...";
inline constexpr const char* kNoApkChosenText = "请先选择APK文件";
inline constexpr const char* kApkMissingText = "请选择的APK文件不存在请重新选择";
// adb ended without saying how the install went (its server or the phone went
// away in the middle).
inline constexpr const char* kInstallNoVerdictText =
    "安装中断,没有得到安装结果,请确认手机已经连接到电脑上";
// adb could not be run at all: none was found (not beside the program, not in
// the system folder, not on PATH), or one was found but would not start.
inline constexpr const char* kAdbNotFoundText = "安装失败,找不到adb程序";
inline constexpr const char* kAdbCannotStartText = "安装失败,adb程序无法启动";
inline constexpr const char* kCompanionFileName = "quillet.apk";
inline constexpr const char* kBadBundleText = "安装失败,请选择一个有效的APKS文件";
inline constexpr const char* kBundleUnpackFailedText = "安装失败,无法解开APKS文件,请检查临时文件夹";
inline constexpr const char* kSeveralNotApkText = "安装失败,同时选择多个文件时只能选择APK文件";

// Shows the file-open dialog (one file, or several .apk of one split app);
// the text to put into the path field (apk_files.h), or nullopt when the
// user cancelled or a chosen path does not exist (the field stays as it was).
std::optional<std::string> ChooseApkFilePath(ui::Dialogs& dialogs);
// The path field's text for a file named outside the chooser (the command line,
// a dropped file), as the chooser would give it: the file's absolute path, or
// nullopt when it names nothing or something other than a file, which the
// chooser never returns (the field then stays as it was). Relative names are
// taken from the current folder, so call it before anything changes that.
std::optional<std::string> ApkPathForField(const std::string& file);

// A text for the install status line; with several phones attached (serial
// not empty) it names the phone the install went to.
std::string InstallStatusText(const std::string& text, const std::string& serial);

// Judges each piece of install output and shows the verdict on the install
// status line (naming the phone, see InstallStatusText); a piece without a
// verdict leaves the line alone. verdict, when given, is set once one was shown.
OutputSink InstallStatusSink(std::shared_ptr<InstallView> view, std::string serial = {},
                             bool* verdict = nullptr);

// How a worker ended, for tests; the user learns it from the status line alone.
enum class InstallEnd {
    NoFileChosen,  // path field empty: adb not run
    FileMissing,   // the path names nothing that exists: adb not run
    BadChoice,     // a bundle that cannot be read, or several files not all .apk: adb not run
    NotStarted,    // adb could not be started: the status line says why (kAdb...Text)
    Finished,      // adb's output ended; the status line shows the last verdict
    NoVerdict,     // adb's output ended without one: the status line says the install broke off
    Stopped,       // the program is ending: adb was ended, the line shows what came before
};

// Reads the path field, checks it and runs `adb install -r PATH` with its
// output judged piece by piece. A .apks bundle is extracted into a folder of
// its own under the system's temporary folder and its parts installed with
// `adb install-multiple -r`, as are several .apk chosen together; the
// extracted parts are removed afterwards. Blocks until adb's output ends or stop is
// requested. A serial sends the install to that phone (adb -s SERIAL); empty,
// adb's only phone is meant.
InstallEnd ApkInstallWorker(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                            std::stop_token stop = {}, const std::string& serial = {});
// Installs systemDir/quillet.apk the same way. The file is not checked first:
// if it is missing, adb's own complaint is judged like any other output.
InstallEnd CompanionInstallWorker(const std::shared_ptr<InstallView>& view,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir, std::stop_token stop = {},
                                  const std::string& serial = {});

// Start the worker on a thread of `workers` and return at once; with no thread
// the status line keeps its start text. The runner
// must outlive the worker: the runtime is stopped and joined before it goes.
void LaunchApkInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                            const CommandRunner& runner, std::string serial = {});
void LaunchCompanionInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                                  const CommandRunner& runner, std::filesystem::path systemDir,
                                  std::string serial = {});

}  // namespace nimbo
