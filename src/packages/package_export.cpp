#include "packages/package_export.h"

#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "adbtool/web_addresses.h"
#include "archive/zip_archive.h"
#include "packages/export_plan.h"
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
    std::filesystem::remove_all(path, ec);
}

// Pulls the plan's files and, for a split app, writes its bundle. A part
// that did not arrive leaves that app out (as a failed single pull always
// has); a bundle that cannot be written ends the export.
ExportEnd RunPlan(const ExportPlan& plan, const std::string& folder, const CommandRunner& runner,
                  const std::string& serial, std::stop_token stop) {
    if (plan.bundle) {
        std::error_code ec;
        std::filesystem::create_directories(plan.bundle->partsFolder, ec);
    }
    auto dropParts = [&] {
        if (plan.bundle) RemoveQuietly(plan.bundle->partsFolder);
    };
    for (const PullStep& step : plan.pulls) {
        if (!FolderStillThere(folder)) return ExportEnd::FolderLost;
        const RunOutcome outcome = runner.RunCommand(OnDevice(PullCommand(step), serial),
                                                     DeliveryMode::PerChunk, {}, stop);
        if (outcome == RunOutcome::NotStarted) {
            dropParts();
            return ExportEnd::NotStarted;
        }
        // A pull ended halfway leaves a partial file; no more pulls, no folder
        // opened while the program ends.
        if (outcome == RunOutcome::Cancelled) {
            dropParts();
            return ExportEnd::Stopped;
        }
    }
    if (!FolderStillThere(folder)) return ExportEnd::FolderLost;
    if (!plan.bundle) return ExportEnd::Finished;

    std::vector<archive::ZipSource> parts;
    bool complete = true;
    for (const auto& part : plan.bundle->parts) {
        complete = complete && platform::PathFileExists(part.localFile);
        parts.push_back({part.entryName, part.localFile});
    }
    ExportEnd end = ExportEnd::Finished;
    if (complete) {
        auto written = archive::WriteZip(plan.bundle->archive, parts);
        if (!written && written.error() != archive::ZipError::CannotRead) {
            end = ExportEnd::BundleFailed;
        }
    }
    dropParts();
    return end;
}

}  // namespace

ExportEnd ExportWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                       platform::ShellOpener& shell, const std::string& folder,
                       std::stop_token stop, const std::string& serial) {
    auto folderLost = [&] {
        view->ShowInstallStatus(kExportFolderLostText);
        return ExportEnd::FolderLost;
    };
    // One shell for the packages checked now; a row checked later is asked
    // about when its turn comes.
    PackagePaths known;
    const RunOutcome asked =
        AskPackagePaths(CheckedFolderPackages(*view), known, runner, serial, stop);
    if (asked == RunOutcome::NotStarted) return ExportEnd::NotStarted;
    if (asked == RunOutcome::Cancelled) return ExportEnd::Stopped;
    for (int row = 0;; ++row) {
        if (stop.stop_requested()) return ExportEnd::Stopped;
        const RowRead read = ReadRow(*view, row);
        if (!read.windowAlive) return ExportEnd::WindowGone;
        if (!read.exists) break;
        if (!read.checked) continue;
        if (!FolderStillThere(folder)) return folderLost();
        if (read.name.find('/') != std::string::npos && !known.contains(read.packageName)) {
            const RunOutcome late =
                AskPackagePaths({read.packageName}, known, runner, serial, stop);
            if (late == RunOutcome::NotStarted) return ExportEnd::NotStarted;
            if (late == RunOutcome::Cancelled) return ExportEnd::Stopped;
        }
        const auto paths = known.find(read.packageName);
        const ExportPlan plan =
            PlanExport(read.name, read.packageName, folder,
                       paths == known.end() ? std::vector<std::string>() : paths->second);
        switch (RunPlan(plan, folder, runner, serial, stop)) {
            case ExportEnd::NotStarted:
                return ExportEnd::NotStarted;
            case ExportEnd::Stopped:
                return ExportEnd::Stopped;
            case ExportEnd::FolderLost:
                return folderLost();
            case ExportEnd::BundleFailed:
                view->ShowInstallStatus(kExportFolderLostText);
                return ExportEnd::BundleFailed;
            default:
                break;
        }
    }
    shell.OpenFolder(folder);
    view->ShowOperationStatus(kExportDoneText);
    return ExportEnd::Finished;
}

void LaunchExportWorker(WorkerRuntime& workers, PackagesState& state,
                        std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                        platform::ShellOpener& shell, std::string folder, std::string serial) {
    ExportTurns& turns = state.Turns();
    const uint64_t ticket = turns.Take();
    const bool started =
        workers.Start([view = std::move(view), &runner, &shell, &turns, folder = std::move(folder),
                       serial = std::move(serial), ticket](std::stop_token stop) {
            const ExportTurns::Wait wait = turns.WaitFor(ticket, stop);
            // The turn may come in the same moment as the stop; the stop wins.
            if (wait.served && !stop.stop_requested()) {
                if (wait.waited) {
                    // The earlier export has just written its own last word.
                    view->ShowOperationStatus(kExportStartText);
                }
                ExportWorker(view, runner, shell, folder, stop, serial);
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
