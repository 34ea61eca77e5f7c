#include "install/install_workers.h"

#include <system_error>
#include <utility>

#include "adbtool/adb_commands.h"
#include "install/classify_install_output.h"
#include "platform/paths.h"

namespace nimbo {
namespace {

InstallEnd RunInstall(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                      const std::string& apkPath, std::stop_token stop) {
    // adb may end without a verdict (its server killed mid-install); the
    // start text must not stay as if the install were still under way.
    bool verdict = false;
    const OutputSink sink = [&view, &verdict](OutputChunk piece) {
        if (auto message = ClassifyInstallOutput(piece)) {
            verdict = true;
            view->ShowInstallStatus(*message);
        }
    };
    switch (runner.RunCommand(AdbInstall(apkPath), DeliveryMode::PerChunk, sink, std::move(stop))) {
        case RunOutcome::NotStarted:
            return InstallEnd::NotStarted;
        case RunOutcome::Cancelled:
            return InstallEnd::Stopped;
        case RunOutcome::Completed:
            break;
    }
    if (!verdict) {
        view->ShowInstallStatus(kInstallNoVerdictText);
        return InstallEnd::NoVerdict;
    }
    return InstallEnd::Finished;
}

}  // namespace

std::optional<std::string> ChooseApkFilePath(ui::Dialogs& dialogs) {
    auto chosen = dialogs.OpenFile(kChooseApkTitle, {{kApkFilterText, kApkFilterPattern}}, true);
    if (!chosen || !platform::PathFileExists(*chosen)) return std::nullopt;
    return chosen;
}

std::optional<std::string> ApkPathForField(const std::string& file) {
    if (file.empty()) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(file, ec).lexically_normal();
    if (ec || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    return path.string();
}

OutputSink InstallStatusSink(std::shared_ptr<InstallView> view) {
    return [view = std::move(view)](OutputChunk piece) {
        if (auto message = ClassifyInstallOutput(piece)) view->ShowInstallStatus(*message);
    };
}

InstallEnd ApkInstallWorker(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                            std::stop_token stop) {
    if (stop.stop_requested()) return InstallEnd::Stopped;
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
    return RunInstall(view, runner, path, std::move(stop));
}

InstallEnd CompanionInstallWorker(const std::shared_ptr<InstallView>& view,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir, std::stop_token stop) {
    return RunInstall(view, runner, (systemDir / kCompanionFileName).string(), std::move(stop));
}

void LaunchApkInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                            const CommandRunner& runner) {
    workers.Start([view = std::move(view), &runner](std::stop_token stop) {
        ApkInstallWorker(view, runner, std::move(stop));
    });
}

void LaunchCompanionInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                                  const CommandRunner& runner, std::filesystem::path systemDir) {
    workers.Start(
        [view = std::move(view), &runner, systemDir = std::move(systemDir)](std::stop_token stop) {
            CompanionInstallWorker(view, runner, systemDir, std::move(stop));
        });
}

}  // namespace nimbo
