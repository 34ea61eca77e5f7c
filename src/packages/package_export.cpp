#include "packages/package_export.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "adbtool/web_addresses.h"
#include "packages/package_list_parser.h"
#include "platform/file_identity.h"
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

std::string ExportTargetPath(const std::string& name, const std::string& packageName,
                             const std::string& folder) {
    std::string target = ExportTargetFileName(name, packageName);
    if (target.empty()) target = name;  // a flat name keeps the phone's file name
    const bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + target;
}

AdbCommand ExportCommand(const std::string& name, const std::string& packageName,
                         const std::string& folder) {
    if (ExportTargetFileName(name, packageName).empty()) return AdbPull(name, folder);
    return AdbPullToFile(std::string(kAppDir) + name, ExportTargetPath(name, packageName, folder));
}

namespace {

// "，未导出：" and the packages, the first kMissingNamed by name.
std::string MissingPart(const std::vector<std::string>& missing) {
    std::string text = kExportMissingLead;
    for (std::size_t i = 0; i < missing.size() && i < kMissingNamed; ++i) {
        if (i > 0) text += "、";
        text += missing[i];
    }
    if (missing.size() > kMissingNamed) {
        text += " 等" + std::to_string(missing.size()) + "个软件";
    }
    return text;
}

}  // namespace

std::string ExportIncompleteText(PullFailure firstFailure,
                                 const std::vector<std::string>& missing) {
    switch (firstFailure) {
        case PullFailure::FolderFull:
            return kExportFolderFullText + MissingPart(missing);
        case PullFailure::FolderReadOnly:
            return kExportFolderReadOnlyText + MissingPart(missing);
        case PullFailure::None:
        case PullFailure::Connection:
            break;
    }
    return kExportIncompleteText + MissingPart(missing);
}

BackupStart BackupSelected(PackageRows& rows, const std::shared_ptr<PackagesView>& view,
                           ui::Dialogs& dialogs, const CommandRunner& runner,
                           platform::ShellOpener& shell, WorkerRuntime& workers,
                           PackagesState& state) {
    if (rows.SelectionMark() < 0) return BackupStart::NoSelectionMark;
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
                       std::stop_token stop, const LogSink& log,
                       const std::function<bool()>& listReplaced) {
    auto folderLost = [&] {
        view->ShowInstallStatus(kExportFolderLostText);
        return ExportEnd::FolderLost;
    };
    // The folder as it was chosen: one swapped for another (a symbolic link
    // pointed elsewhere, a folder renamed and replaced) is lost too, or the
    // backup would end up split between two places.
    const platform::FileIdentity chosen = platform::IdentifyFile(folder);
    auto folderStillTheSame = [&] {
        return FolderStillThere(folder) && platform::IdentifyFile(folder).SameObject(chosen);
    };
    std::vector<std::string> missing;
    PullFailure firstFailure = PullFailure::None;
    for (int row = 0;; ++row) {
        if (stop.stop_requested()) return ExportEnd::Stopped;
        const RowRead read = ReadRow(*view, row);
        if (!read.windowAlive) return ExportEnd::WindowGone;
        if (!read.exists) break;
        if (!read.checked) continue;
        if (!folderStillTheSame()) return folderLost();
        const std::string target = ExportTargetPath(read.name, read.packageName, folder);
        const platform::FileIdentity before = platform::IdentifyFile(target);
        std::string output;
        platform::ExitStatus exit;
        const RunOutcome outcome = runner.RunCommand(
            ExportCommand(read.name, read.packageName, folder), DeliveryMode::PerChunk,
            [&output](OutputChunk piece) {
                if (output.size() < kPullOutputKept)
                    output.append(piece.substr(0, kPullOutputKept));
            },
            stop, &exit);
        if (outcome == RunOutcome::NotStarted) return ExportEnd::NotStarted;
        // A pull ended halfway may leave part of a file under the backup's
        // name; no more pulls, no folder opened while the program ends.
        if (outcome == RunOutcome::Cancelled) {
            DiscardFailedPull(target, before);
            return ExportEnd::Stopped;
        }
        const PullJudgement judged = JudgePull(exit, output, platform::IdentifyFile(target));
        if (!judged.Pulled()) {
            if (!DiscardFailedPull(target, before) && log) log("cannot remove " + target);
            if (log) log("pulling " + read.name + " failed: " + judged.reason);
            if (firstFailure == PullFailure::None) firstFailure = judged.failure;
            missing.push_back(read.packageName.empty() ? read.name : read.packageName);
        }
        if (!folderStillTheSame()) return folderLost();
    }
    shell.OpenFolder(folder);
    if (listReplaced && listReplaced()) {
        view->ShowOperationStatus(kExportListRefreshedText +
                                  (missing.empty() ? std::string() : MissingPart(missing)));
        return ExportEnd::Incomplete;
    }
    if (!missing.empty()) {
        view->ShowOperationStatus(ExportIncompleteText(firstFailure, missing));
        return ExportEnd::Incomplete;
    }
    view->ShowOperationStatus(kExportDoneText);
    return ExportEnd::Finished;
}

void LaunchExportWorker(WorkerRuntime& workers, PackagesState& state,
                        std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                        platform::ShellOpener& shell, std::string folder) {
    ExportTurns& turns = state.Turns();
    const uint64_t ticket = turns.Take();
    const bool started = workers.Start([view = std::move(view), &runner, &shell, &turns, &state,
                                        folder = std::move(folder), ticket](std::stop_token stop) {
        const ExportTurns::Wait wait = turns.WaitFor(ticket, stop);
        // The turn may come in the same moment as the stop; the stop wins.
        if (wait.served && !stop.stop_requested()) {
            if (wait.waited) {
                // The earlier export has just written its own last word.
                view->ShowOperationStatus(kExportStartText);
            }
            // A refresh begun from here on replaces the rows this export reads.
            const uint64_t listing = state.LatestListing();
            ExportWorker(view, runner, shell, folder, stop, StderrLog(),
                         [&state, listing] { return state.LatestListing() != listing; });
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
