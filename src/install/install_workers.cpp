#include "install/install_workers.h"

#include <cstdio>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "adbtool/adb_commands.h"
#include "install/classify_install_output.h"
#include "platform/paths.h"

namespace nimbo {
namespace {

std::mutex countsMutex;
InstallWorkerCounts counts;

// Counts the thread as running from before it exists until its last use of
// the runner, so a waiter never sees zero while a run is still under way.
void StartCounted(std::function<void()> work) {
    {
        std::lock_guard lock(countsMutex);
        ++counts.running;
    }
    auto done = [] {
        std::lock_guard lock(countsMutex);
        --counts.running;
        ++counts.finished;
    };
    try {
        std::thread([work = std::move(work), done] {
            work();
            done();
        }).detach();
    } catch (const std::system_error& e) {
        // No thread: the status line keeps its start text, as when adb cannot run.
        std::fprintf(stderr, "nimbo: cannot start the install thread: %s\n", e.what());
        std::lock_guard lock(countsMutex);
        --counts.running;
    }
}

InstallEnd RunInstall(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                      const std::string& apkPath) {
    const RunOutcome outcome =
        runner.RunCommand(AdbInstall(apkPath), DeliveryMode::PerChunk, InstallStatusSink(view));
    return outcome == RunOutcome::NotStarted ? InstallEnd::NotStarted : InstallEnd::Finished;
}

}  // namespace

std::optional<std::string> ChooseApkFilePath(ui::Dialogs& dialogs) {
    auto chosen = dialogs.OpenFile(kChooseApkTitle, {{kApkFilterText, kApkFilterPattern}}, true);
    if (!chosen || !platform::PathFileExists(*chosen)) return std::nullopt;
    return chosen;
}

OutputSink InstallStatusSink(std::shared_ptr<InstallView> view) {
    return [view = std::move(view)](OutputChunk piece) {
        if (auto message = ClassifyInstallOutput(piece)) view->ShowInstallStatus(*message);
    };
}

InstallEnd ApkInstallWorker(const std::shared_ptr<InstallView>& view, const CommandRunner& runner) {
    // Read now, not at the click: the field may have changed since.
    const std::string path = view->ApkPath();
    if (path.empty()) {
        view->ShowInstallStatus(kNoApkChosenText);
        return InstallEnd::NoFileChosen;
    }
    if (!platform::PathFileExists(path)) {
        view->ShowInstallStatus(kApkMissingText);
        return InstallEnd::FileMissing;
    }
    return RunInstall(view, runner, path);
}

InstallEnd CompanionInstallWorker(const std::shared_ptr<InstallView>& view,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir) {
    return RunInstall(view, runner, (systemDir / kCompanionFileName).string());
}

void LaunchApkInstallWorker(std::shared_ptr<InstallView> view, const CommandRunner& runner) {
    StartCounted([view = std::move(view), &runner] { ApkInstallWorker(view, runner); });
}

void LaunchCompanionInstallWorker(std::shared_ptr<InstallView> view, const CommandRunner& runner,
                                  std::filesystem::path systemDir) {
    StartCounted([view = std::move(view), &runner, systemDir = std::move(systemDir)] {
        CompanionInstallWorker(view, runner, systemDir);
    });
}

InstallWorkerCounts InstallWorkers() {
    std::lock_guard lock(countsMutex);
    return counts;
}

}  // namespace nimbo
