#include "packages/package_export.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <set>
#include <utility>

#include "adbtool/web_addresses.h"
#include "packages/package_list_parser.h"
#include "packages/package_worker_threads.h"
#include "platform/paths.h"

namespace nimbo {
namespace {

constexpr std::string_view kAppDir = "/data/app/";

std::mutex folderMutex;
std::string exportFolder;

void SetExportFolder(const std::string& folder) {
    std::lock_guard lock(folderMutex);
    exportFolder = folder;
}

// Exports take turns by ticket, in the order they were asked for. A ticket
// whose thread never started is skipped.
class ExportTurns {
public:
    uint64_t Take() {
        std::lock_guard lock(mutex_);
        return next_++;
    }
    // True when the caller had to wait for an earlier export.
    bool WaitFor(uint64_t ticket) {
        std::unique_lock lock(mutex_);
        const bool waits = serving_ != ticket;
        cv_.wait(lock, [&] { return serving_ == ticket; });
        return waits;
    }
    void Done(uint64_t ticket) {
        std::lock_guard lock(mutex_);
        if (ticket == serving_) {
            ++serving_;
        } else {
            abandoned_.insert(ticket);
        }
        while (abandoned_.erase(serving_)) ++serving_;
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    uint64_t next_ = 0;
    uint64_t serving_ = 0;
    std::set<uint64_t> abandoned_;
};

// Never destroyed: detached exports may still wait on it while the program ends.
ExportTurns& Turns() {
    static ExportTurns* turns = new ExportTurns;
    return *turns;
}

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

std::string ExportFolder() {
    std::lock_guard lock(folderMutex);
    return exportFolder;
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
                           platform::ShellOpener& shell) {
    if (rows.SelectionMark() < 0) return BackupStart::NoSelectionMark;
    const std::optional<std::string> chosen = dialogs.ChooseFolder(ExportFolderPrompt());
    if (!chosen || chosen->empty()) return BackupStart::NoFolder;

    view->ShowOperationStatus(kExportStartText);
    platform::SetCurrentDirectory(*chosen);
    SetExportFolder(*chosen);

    bool anyChecked = false;
    for (int row = 0; row < rows.Count(); ++row) anyChecked = anyChecked || rows.IsChecked(row);
    if (!anyChecked) {
        view->ShowOperationStatus(kNothingCheckedText);
        return BackupStart::NothingChecked;
    }
    LaunchExportWorker(view, runner, shell, *chosen);
    return BackupStart::Started;
}

ExportEnd ExportWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                       platform::ShellOpener& shell, const std::string& folder) {
    auto folderLost = [&] {
        view->ShowInstallStatus(kExportFolderLostText);
        return ExportEnd::FolderLost;
    };
    for (int row = 0;; ++row) {
        const RowRead read = ReadRow(*view, row);
        if (!read.windowAlive) return ExportEnd::WindowGone;
        if (!read.exists) break;
        if (!read.checked) continue;
        if (!FolderStillThere(folder)) return folderLost();
        const RunOutcome outcome = runner.RunCommand(
            ExportCommand(read.name, read.packageName, folder), DeliveryMode::PerChunk, {});
        if (outcome == RunOutcome::NotStarted) return ExportEnd::NotStarted;
        if (!FolderStillThere(folder)) return folderLost();
    }
    shell.OpenFolder(folder);
    view->ShowOperationStatus(kExportDoneText);
    return ExportEnd::Finished;
}

void LaunchExportWorker(std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                        platform::ShellOpener& shell, std::string folder) {
    const uint64_t ticket = Turns().Take();
    const bool started = StartPackageWorker(
        [view = std::move(view), &runner, &shell, folder = std::move(folder), ticket] {
            if (Turns().WaitFor(ticket)) {
                // The earlier export has just written its own last word.
                view->ShowOperationStatus(kExportStartText);
            }
            ExportWorker(view, runner, shell, folder);
            Turns().Done(ticket);
        });
    if (!started) Turns().Done(ticket);
}

void RemoveSelected(PackageRows& rows, ui::Dialogs& dialogs, const std::string& caption) {
    for (int row = 0; row < rows.Count(); ++row) {
        if (!rows.IsChecked(row)) continue;
        const int mark = rows.SelectionMark();
        dialogs.MessageBox(mark < 0 ? std::string() : rows.Name(mark), caption);
    }
}

}  // namespace nimbo
