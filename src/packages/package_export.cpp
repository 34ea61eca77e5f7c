#include "packages/package_export.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "adbtool/web_addresses.h"
#include "archive/zip_archive.h"
#include "packages/export_plan.h"
#include "packages/package_list_parser.h"
#include "platform/file_identity.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/utf8_path.h"

namespace nimbo {
namespace {

constexpr std::string_view kAppDir = "/data/app/";

// A plain file where the folder was is no folder: adb would write the APK
// over it under the folder's name.
bool FolderStillThere(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(platform::PathFromUtf8(folder), ec);
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
                           PackagesState& state, const std::string& serial) {
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
    LaunchExportWorker(workers, state, view, runner, shell, *chosen, serial);
    return BackupStart::Started;
}

namespace {

// The checked rows whose APK sits in a folder of its own: only those can be
// split apps, so only their packages are asked about.
std::vector<std::string> CheckedFolderPackages(PackagesView& view) {
    std::vector<std::string> packages;
    view.OnWindowThread([&](PackageRows& rows) {
        for (int row = 0; row < rows.Count(); ++row) {
            if (!rows.IsChecked(row) || rows.Name(row).find('/') == std::string::npos) continue;
            packages.push_back(rows.PackageName(row));
        }
    });
    return packages;
}

// Asks the phone for every file of these packages, one shell per batch, and
// adds what it says to `known`; every package asked about gets an entry.
RunOutcome AskPackagePaths(const std::vector<std::string>& packages, PackagePaths& known,
                           const CommandRunner& runner, const std::string& serial,
                           std::stop_token stop) {
    for (const auto& batch : BatchForPathQueries(packages)) {
        auto command = PackagePathsCommand(batch);
        if (!command) continue;
        std::string output;
        const RunOutcome outcome = runner.RunCommand(
            OnDevice(*command, serial), DeliveryMode::Accumulated,
            [&output](OutputChunk all) { output.assign(all.data(), all.size()); }, stop);
        if (outcome != RunOutcome::Completed) return outcome;
        for (auto& [package, paths] : ParsePackagePaths(output)) known[package] = std::move(paths);
        for (const std::string& package : batch) known.try_emplace(package);
    }
    return RunOutcome::Completed;
}

void RemoveQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(platform::PathFromUtf8(path), ec);
}

struct RowEnd {
    ExportEnd end = ExportEnd::Finished;  // Finished: go on with the next row
    PullFailure failure = PullFailure::None;  // why the row was not exported
};

// Pulls the plan's files, judging each pull, and for a split app writes its
// bundle. A failed pull leaves nothing of its own under its name and leaves
// the app out; a bundle that cannot be written for want of space leaves the
// app out too; any other bundle failure ends the export.
RowEnd RunPlan(const ExportPlan& plan, const std::function<bool()>& folderStillTheSame,
               const CommandRunner& runner, const std::string& serial, std::stop_token stop,
               const LogSink& log) {
    if (plan.bundle) {
        std::error_code ec;
        std::filesystem::create_directories(platform::PathFromUtf8(plan.bundle->partsFolder), ec);
    }
    auto ended = [&](ExportEnd end, PullFailure failure = PullFailure::None) {
        if (plan.bundle) RemoveQuietly(plan.bundle->partsFolder);
        return RowEnd{end, failure};
    };
    for (const PullStep& step : plan.pulls) {
        if (!folderStillTheSame()) return ended(ExportEnd::FolderLost);
        const std::string target = PulledFile(step);
        const std::string partial = PartialFile(step);
        // A part an earlier run left behind (the program killed mid-pull).
        platform::RemoveFile(partial);
        const platform::FileIdentity before = platform::IdentifyFile(partial);
        std::string output;
        platform::ExitStatus exit;
        const RunOutcome outcome = runner.RunCommand(
            OnDevice(PullCommand(step), serial), DeliveryMode::PerChunk,
            [&output](OutputChunk piece) {
                if (output.size() < kPullOutputKept)
                    output.append(piece.substr(0, kPullOutputKept));
            },
            stop, &exit);
        if (outcome == RunOutcome::NotStarted) return ended(ExportEnd::NotStarted);
        // No more pulls, no folder opened while the program ends.
        if (outcome == RunOutcome::Cancelled) {
            DiscardFailedPull(partial, before);
            return ended(ExportEnd::Stopped);
        }
        const PullJudgement judged = JudgePull(exit, output, platform::IdentifyFile(partial));
        if (!judged.Pulled()) {
            if (!DiscardFailedPull(partial, before) && log) log("cannot remove " + partial);
            if (log) log("pulling " + step.phonePath + " failed: " + judged.reason);
            return ended(ExportEnd::Finished, judged.failure);
        }
        // The whole file takes its name, over an earlier backup of it, in
        // the folder it was judged in.
        if (!platform::MoveFileOver(partial, target)) {
            DiscardFailedPull(partial, before);
            if (log) log("cannot move " + partial + " to " + target);
            return ended(ExportEnd::Finished, PullFailure::FolderReadOnly);
        }
    }
    if (!folderStillTheSame()) return ended(ExportEnd::FolderLost);
    if (!plan.bundle) return RowEnd{};

    std::vector<archive::ZipSource> parts;
    for (const auto& part : plan.bundle->parts) {
        parts.push_back({part.entryName, platform::PathFromUtf8(part.localFile)});
    }
    auto written = archive::WriteZip(platform::PathFromUtf8(plan.bundle->archive), parts);
    if (written) return ended(ExportEnd::Finished);
    if (log) log("writing " + plan.bundle->archive + " failed: " + archive::ToText(written.error()));
    if (written.error() == archive::ZipError::CannotWrite) {
        return ended(ExportEnd::Finished, PullFailure::FolderFull);
    }
    return ended(ExportEnd::BundleFailed);
}

}  // namespace

ExportEnd ExportWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                       platform::ShellOpener& shell, const std::string& folder,
                       std::stop_token stop, const ExportOptions& options) {
    auto folderLost = [&] {
        view->ShowInstallStatus(kExportFolderLostText);
        return ExportEnd::FolderLost;
    };
    // The folder as it was chosen: one swapped for another (a symbolic link
    // pointed elsewhere, a folder renamed and replaced) is lost too, or the
    // backup would end up split between two places.
    const platform::FileIdentity chosen = platform::IdentifyFile(folder);
    const std::function<bool()> folderStillTheSame = [&] {
        return FolderStillThere(folder) && platform::IdentifyFile(folder).SameObject(chosen);
    };
    std::vector<std::string> missing;
    PullFailure firstFailure = PullFailure::None;
    // One shell for the packages checked now; a row checked later is asked
    // about when its turn comes.
    PackagePaths known;
    const RunOutcome asked =
        AskPackagePaths(CheckedFolderPackages(*view), known, runner, options.serial, stop);
    if (asked == RunOutcome::NotStarted) return ExportEnd::NotStarted;
    if (asked == RunOutcome::Cancelled) return ExportEnd::Stopped;
    for (int row = 0;; ++row) {
        if (stop.stop_requested()) return ExportEnd::Stopped;
        const RowRead read = ReadRow(*view, row);
        if (!read.windowAlive) return ExportEnd::WindowGone;
        if (!read.exists) break;
        if (!read.checked) continue;
        if (!folderStillTheSame()) return folderLost();
        if (read.name.find('/') != std::string::npos && !known.contains(read.packageName)) {
            const RunOutcome late =
                AskPackagePaths({read.packageName}, known, runner, options.serial, stop);
            if (late == RunOutcome::NotStarted) return ExportEnd::NotStarted;
            if (late == RunOutcome::Cancelled) return ExportEnd::Stopped;
        }
        const auto paths = known.find(read.packageName);
        const ExportPlan plan =
            PlanExport(read.name, read.packageName, folder,
                       paths == known.end() ? std::vector<std::string>() : paths->second);
        const RowEnd row_end =
            RunPlan(plan, folderStillTheSame, runner, options.serial, stop, options.log);
        switch (row_end.end) {
            case ExportEnd::NotStarted:
            case ExportEnd::Stopped:
                return row_end.end;
            case ExportEnd::FolderLost:
                return folderLost();
            case ExportEnd::BundleFailed:
                view->ShowInstallStatus(kExportFolderLostText);
                return ExportEnd::BundleFailed;
            default:
                break;
        }
        if (row_end.failure != PullFailure::None) {
            if (firstFailure == PullFailure::None) firstFailure = row_end.failure;
            missing.push_back(read.packageName.empty() ? read.name : read.packageName);
        }
    }
    shell.OpenFolder(folder);
    if (options.listReplaced && options.listReplaced()) {
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
                        platform::ShellOpener& shell, std::string folder, std::string serial) {
    ExportTurns& turns = state.Turns();
    const uint64_t ticket = turns.Take();
    const bool started = workers.Start([view = std::move(view), &runner, &shell, &turns, &state,
                                        folder = std::move(folder), serial = std::move(serial),
                                        ticket](std::stop_token stop) {
        const ExportTurns::Wait wait = turns.WaitFor(ticket, stop);
        // The turn may come in the same moment as the stop; the stop wins.
        if (wait.served && !stop.stop_requested()) {
            if (wait.waited) {
                // The earlier export has just written its own last word.
                view->ShowOperationStatus(kExportStartText);
            }
            // A refresh begun from here on replaces the rows this export reads.
            const uint64_t listing = state.LatestListing();
            ExportOptions options;
            options.serial = serial;
            options.listReplaced = [&state, listing] { return state.LatestListing() != listing; };
            ExportWorker(view, runner, shell, folder, stop, options);
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
