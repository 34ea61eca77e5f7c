#include "packages/package_export.h"

#include <cstdint>
#include <filesystem>
#include <utility>

#include "adbtool/web_addresses.h"
#include "packages/package_list_parser.h"
#include "platform/paths.h"

namespace nimbo {
namespace {

constexpr std::string_view kAppDir = "/data/app/";

// A plain file where the folder was is no folder: adb would write the APK
// over it under the folder's name.
bool FolderStillThere(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec);
}

struct RowRead {
    bool windowAlive = false;
    bool exists = false;
    bool checked = false;
    std::string name;
    std::string packageName;
};

RowRead ReadRow(PackagesView& view, int row) {
    RowRead read;
    read.windowAlive = view.OnWindowThread([&](PackageRows& rows) {
        if (row >= rows.Count()) return;
        read.exists = true;
        read.checked = rows.IsChecked(row);
        if (!read.checked) return;
        read.name = rows.Name(row);
        read.packageName = rows.PackageName(row);
    });
    return read;
}

}  // namespace

std::string ExportFolderPrompt() {
    return std::string("请选择保存APK文件的目录,我们将导出所有手机中已经安装的软件 【") +
           web::kSecondMakerShort + "】";
}

AdbCommand ExportCommand(const std::string& name, const std::string& packageName,
                         const std::string& folder) {
    const std::string target = ExportTargetFileName(name, packageName);
    if (target.empty()) return AdbPull(name, folder);
    const bool separated = !folder.empty() && folder.back() == '/';
    return AdbPullToFile(std::string(kAppDir) + name, folder + (separated ? "" : "/") + target);
}

BackupStart BackupSelected(PackageRows& rows, const std::shared_ptr<PackagesView>& view,
                           ui::Dialogs& dialogs, const CommandRunner& runner,
                           platform::ShellOpener& shell, WorkerRuntime& workers,
                           PackagesState& state) {
    const std::optional<std::string> chosen = dialogs.ChooseFolder(ExportFolderPrompt());
    if (!chosen || chosen->empty()) return BackupStart::NoFolder;

    view->ShowOperationStatus(kExportStartText);
    platform::SetCurrentDirectory(*chosen);
    state.SetExportFolder(*chosen);

    bool anyChecked = false;
    for (int row = 0; row < rows.Count(); ++row) anyChecked = anyChecked || rows.IsChecked(row);
    if (!anyChecked) {
        view->ShowOperationStatus(kNothingCheckedText);
        return BackupStart::NothingChecked;
    }
    LaunchExportWorker(workers, state, view, runner, shell, *chosen);
    return BackupStart::Started;
}

ExportEnd ExportWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                       platform::ShellOpener& shell, const std::string& folder,
                       std::stop_token stop) {
    auto folderLost = [&] {
        view->ShowInstallStatus(kExportFolderLostText);
        return ExportEnd::FolderLost;
    };
    for (int row = 0;; ++row) {
        if (stop.stop_requested()) return ExportEnd::Stopped;
        const RowRead read = ReadRow(*view, row);
        if (!read.windowAlive) return ExportEnd::WindowGone;
        if (!read.exists) break;
        if (!read.checked) continue;
        if (!FolderStillThere(folder)) return folderLost();
        const RunOutcome outcome = runner.RunCommand(
            ExportCommand(read.name, read.packageName, folder), DeliveryMode::PerChunk, {}, stop);
        if (outcome == RunOutcome::NotStarted) return ExportEnd::NotStarted;
        // A pull ended halfway leaves a partial file; no more pulls, no folder
        // opened while the program ends.
        if (outcome == RunOutcome::Cancelled) return ExportEnd::Stopped;
        if (!FolderStillThere(folder)) return folderLost();
    }
    shell.OpenFolder(folder);
    view->ShowOperationStatus(kExportDoneText);
    return ExportEnd::Finished;
}

void LaunchExportWorker(WorkerRuntime& workers, PackagesState& state,
                        std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                        platform::ShellOpener& shell, std::string folder) {
    ExportTurns& turns = state.Turns();
    const uint64_t ticket = turns.Take();
    const bool started = workers.Start([view = std::move(view), &runner, &shell, &turns,
                                        folder = std::move(folder), ticket](std::stop_token stop) {
        const ExportTurns::Wait wait = turns.WaitFor(ticket, stop);
        // The turn may come in the same moment as the stop; the stop wins.
        if (wait.served && !stop.stop_requested()) {
            if (wait.waited) {
                // The earlier export has just written its own last word.
                view->ShowOperationStatus(kExportStartText);
            }
            ExportWorker(view, runner, shell, folder, stop);
        }
        turns.Done(ticket);
    });
    if (!started) turns.Done(ticket);
}

void RemoveSelected(PackageRows& rows, ui::Dialogs& dialogs, const std::string& caption) {
    for (int row = 0; row < rows.Count(); ++row) {
        if (!rows.IsChecked(row)) continue;
        const int mark = rows.SelectionMark();
        dialogs.MessageBox(mark < 0 ? std::string() : rows.Name(mark), caption);
    }
}

}  // namespace nimbo
