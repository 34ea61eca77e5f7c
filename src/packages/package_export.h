#pragma once
// Copying the APKs of the checked rows of the package list into a folder on
// the PC, one `adb pull` after another, and the hidden removal button.
//
// The window's export handler is BackupSelected: it asks for the folder,
// writes the status texts and starts the export worker on the session's
// runtime; the worker reaches the window through its PackagesView
// (packages_view.h). Exports run one at a
// time in the order they were asked for; one asked for while another runs
// waits its turn and then pulls into its own folder, so neither loses a row
// nor writes into the other's folder.
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "adbtool/adb_commands.h"
#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"
#include "packages/package_rows.h"
#include "packages/packages_state.h"
#include "packages/packages_view.h"
#include "packages/pull_outcome.h"
#include "platform/shell.h"
#include "ui/dialogs.h"

namespace nimbo {

inline constexpr const char* kExportStartText = "正在导出，请耐心等待...";
inline constexpr const char* kNothingCheckedText = "尚未选择需要导出的软件，【支持多选】";
inline constexpr const char* kExportDoneText = "导出完成，如果没有显示请检查和PC的连接";
inline constexpr const char* kExportFolderLostText = "保存文件夹I/O异常，备份失败";
// An export that went through its rows but did not get every package: the
// cause, then the packages missing.
inline constexpr const char* kExportIncompleteText = "导出未完成，请检查和PC的连接";
inline constexpr const char* kExportFolderFullText = "导出未完成，保存文件夹所在的磁盘空间不足";
inline constexpr const char* kExportFolderReadOnlyText = "导出未完成，保存文件夹不允许写入";
inline constexpr const char* kExportMissingLead = "，未导出：";
// A refresh emptied the list while an export was running: the rows it had not
// come to are gone, so it cannot have exported them.
inline constexpr const char* kExportListRefreshedText =
    "导出未完成，导出时软件列表被刷新，请重新勾选后再导出";

// What the folder chooser asks.
std::string ExportFolderPrompt();

// Where the pull of one row puts its file on the PC.
std::string ExportTargetPath(const std::string& name, const std::string& packageName,
                             const std::string& folder);

// The pull of one row: into the folder under the phone's file name, or, for
// an APK inside a folder of its own, to FOLDER/<package>.apk.
AdbCommand ExportCommand(const std::string& name, const std::string& packageName,
                         const std::string& folder);

enum class BackupStart {
    NoFolder,        // the chooser was cancelled or gave no path
    NothingChecked,  // the operation status says so; the folder is the current directory
                     // all the same
    Started,         // the export worker is on its way
};

// The export button, on the UI thread: rows is the package list, read here
// directly; the worker reads it afresh through the view. The chosen folder
// becomes state's export folder. The checked rows are exported whether or
// not a row carries the selection mark: "全选" checks rows without marking
// one, and the user has asked for the checked ones.
// A serial exports from that phone (adb -s SERIAL); empty, from adb's only one.
BackupStart BackupSelected(PackageRows& rows, const std::shared_ptr<PackagesView>& view,
                           ui::Dialogs& dialogs, const CommandRunner& runner,
                           platform::ShellOpener& shell, WorkerRuntime& workers,
                           PackagesState& state, const std::string& serial = {});

enum class ExportEnd {
    Finished,      // every checked row pulled; folder opened, operation status done
    Incomplete,    // every checked row tried, some not pulled: folder opened, operation
                   // status names the cause and the packages missing
    NotStarted,    // adb could not be started: the rest is dropped silently
    FolderLost,    // the folder is gone: the install status says so, nothing more is pulled
    WindowGone,    // the window closed during the export: nothing more happens
    Stopped,       // the program is ending: the pull was ended, nothing more happens
    BundleFailed,  // a split app's PACKAGE.apks could not be written for a reason other
                   // than space: the install status says so, nothing more is pulled
};

// The operation status of an export that missed packages: the cause of the
// first failure, then the packages (the first kMissingNamed by name).
inline constexpr std::size_t kMissingNamed = 5;
std::string ExportIncompleteText(PullFailure firstFailure, const std::vector<std::string>& missing);

// Pulls every checked row in list order, each to its end before the next
// row is looked at; rows and check marks are read afresh for every row.
// First one phone shell asks for the files of every checked package in a
// folder of its own (`pm path`); a split app's files are pulled together and
// saved as one FOLDER/PACKAGE.apks (export_plan.h), any other row as before.
// Each pull is judged (pull_outcome.h); a failed one leaves no file of its own
// under the backup's name, the app is left out and the export goes on with
// the next row.
struct ExportOptions {
    std::string serial;  // the device to ask, when several are attached
    LogSink log = StderrLog();
    // When given, tells at the end whether a refresh replaced the list during
    // the export; the status then says the export did not finish.
    std::function<bool()> listReplaced;
};
ExportEnd ExportWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                       platform::ShellOpener& shell, const std::string& folder,
                       std::stop_token stop = {}, const ExportOptions& options = {});

// Queues ExportWorker behind any export still running (state's turns), on a
// thread of `workers`; a stop ends its wait for the turn too. state, runner
// and shell must outlive it.
void LaunchExportWorker(WorkerRuntime& workers, PackagesState& state,
                        std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                        platform::ShellOpener& shell, std::string folder, std::string serial = {});

// The hidden removal button: one message box per checked row, each naming
// the row at the selection mark; removes nothing.
void RemoveSelected(PackageRows& rows, ui::Dialogs& dialogs, const std::string& caption);

}  // namespace nimbo
