#include "install/install_workers.h"

#include <system_error>
#include <utility>
#include <vector>

#include "adbtool/adb_commands.h"
#include "install/apk_files.h"
#include "install/classify_install_output.h"
#include "platform/paths.h"
#include "platform/utf8_path.h"

namespace nimbo {
namespace {

InstallEnd RunInstall(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                      const AdbCommand& command, std::stop_token stop, const std::string& serial) {
    // adb may end without a verdict (its server killed mid-install); the
    // start text must not stay as if the install were still under way.
    bool verdict = false;
    platform::SpawnError why = platform::SpawnError::CouldNotStart;
    switch (runner.RunCommand(OnDevice(command, serial), DeliveryMode::PerChunk,
                              InstallStatusSink(view, serial, &verdict), std::move(stop), nullptr,
                              &why)) {
        case RunOutcome::NotStarted:
            // Without this the start text would stay as if adb were still at work.
            view->ShowInstallStatus(InstallStatusText(
                why == platform::SpawnError::NotFound ? kAdbNotFoundText : kAdbCannotStartText,
                serial));
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
    const std::vector<std::string> chosen =
        dialogs.OpenFiles(kChooseApkTitle, {{kApkFilterText, kApkFilterPattern}});
    if (chosen.empty()) return std::nullopt;
    for (const std::string& path : chosen) {
        if (!platform::PathFileExists(path)) return std::nullopt;
    }
    return FormatApkPathField(chosen);
}

std::optional<std::string> ApkPathForField(const std::string& file) {
    if (file.empty()) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path path =
        std::filesystem::absolute(platform::PathFromUtf8(file), ec).lexically_normal();
    if (ec || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    return platform::Utf8FromPath(path);
}

std::string InstallStatusText(const std::string& text, const std::string& serial) {
    return serial.empty() ? text : serial + ": " + text;
}

OutputSink InstallStatusSink(std::shared_ptr<InstallView> view, std::string serial, bool* verdict) {
    return [view = std::move(view), serial = std::move(serial), verdict](OutputChunk piece) {
        if (auto message = ClassifyInstallOutput(piece)) {
            if (verdict) *verdict = true;
            view->ShowInstallStatus(InstallStatusText(*message, serial));
        }
    };
}

InstallEnd ApkInstallWorker(const std::shared_ptr<InstallView>& view, const CommandRunner& runner,
                            std::stop_token stop, const std::string& serial) {
    if (stop.stop_requested()) return InstallEnd::Stopped;
    // Read now, not at the click: the field may have changed since.
    const std::vector<std::string> paths = ParseApkPathField(view->ApkPath());
    if (paths.empty()) {
        view->ShowInstallStatus(kNoApkChosenText);
        return InstallEnd::NoFileChosen;
    }
    for (const std::string& path : paths) {
        if (!platform::PathFileExists(path)) {
            view->ShowInstallStatus(kApkMissingText);
            return InstallEnd::FileMissing;
        }
    }
    auto refuse = [&](const char* text) {
        view->ShowInstallStatus(InstallStatusText(text, serial));
        return InstallEnd::BadChoice;
    };
    if (paths.size() > 1) {
        for (const std::string& path : paths) {
            if (!IsApkFile(path)) return refuse(kSeveralNotApkText);
        }
        return RunInstall(view, runner, AdbInstallMultiple(paths), std::move(stop), serial);
    }
    if (!IsApkBundle(paths[0])) {
        return RunInstall(view, runner, AdbInstall(paths[0]), std::move(stop), serial);
    }
    std::error_code ec;
    const std::filesystem::path scratch = std::filesystem::temp_directory_path(ec);
    BundleError why = BundleError::CannotWrite;
    const auto parts = ExtractBundle(platform::PathFromUtf8(paths[0]),
                                     ec ? std::filesystem::path(".") : scratch, &why);
    if (!parts) {
        return refuse(why == BundleError::NotABundle ? kBadBundleText : kBundleUnpackFailedText);
    }
    const InstallEnd end =
        RunInstall(view, runner, AdbInstallMultiple(parts->parts), std::move(stop), serial);
    RemoveExtractedBundle(*parts);
    return end;
}

InstallEnd CompanionInstallWorker(const std::shared_ptr<InstallView>& view,
                                  const CommandRunner& runner,
                                  const std::filesystem::path& systemDir, std::stop_token stop,
                                  const std::string& serial) {
    return RunInstall(view, runner,
                      AdbInstall(platform::Utf8FromPath(systemDir / kCompanionFileName)),
                      std::move(stop), serial);
}

void LaunchApkInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                            const CommandRunner& runner, std::string serial) {
    workers.Start(
        [view = std::move(view), &runner, serial = std::move(serial)](std::stop_token stop) {
            ApkInstallWorker(view, runner, std::move(stop), serial);
        });
}

void LaunchCompanionInstallWorker(WorkerRuntime& workers, std::shared_ptr<InstallView> view,
                                  const CommandRunner& runner, std::filesystem::path systemDir,
                                  std::string serial) {
    workers.Start([view = std::move(view), &runner, systemDir = std::move(systemDir),
                   serial = std::move(serial)](std::stop_token stop) {
        CompanionInstallWorker(view, runner, systemDir, std::move(stop), serial);
    });
}

}  // namespace nimbo
