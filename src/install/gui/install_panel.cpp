#include "install/gui/install_panel.h"

#include <memory>
#include <string>
#include <utility>

#include "install/apk_files.h"
#include "install/install_view.h"
#include "install/install_workers.h"
#include "templates/control_ids.h"
#include "ui/dialog_items.h"

namespace nimbo {
namespace {

// The install workers' view of the window: path field 1001 and status line
// 1008, reached through the window's link, which carries calls over to the UI
// thread and makes them no-ops once the window is gone.
class WindowInstallView final : public InstallView {
public:
    explicit WindowInstallView(std::shared_ptr<ui::DialogItems> items) : items_(std::move(items)) {}

    std::string ApkPath() override { return items_->GetDlgItemText(ids::kApkPathEdit); }
    void ShowInstallStatus(const std::string& text) override {
        items_->SetDlgItemText(ids::kInstallStatus, text);
    }

private:
    std::shared_ptr<ui::DialogItems> items_;
};

}  // namespace

void InstallPanel::OnChooseApkFile() {
    if (auto path = ChooseApkFilePath(*context_.dialogs)) {
        window_.SetItemTextNow(ids::kApkPathEdit, *path);
    }
}

bool InstallPanel::FillApkPath(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        auto file = ApkPathForField(path);
        if (!file) return false;
        files.push_back(std::move(*file));
    }
    if (!AcceptableApkChoice(files)) return false;
    const auto field = FormatApkPathField(files);
    if (!field) return false;
    window_.SetItemTextNow(ids::kApkPathEdit, *field);
    return true;
}

void InstallPanel::OnStartApkInstall() {
    auto view = std::make_shared<WindowInstallView>(window_.Link());
    std::string serial = Target();
    view->ShowInstallStatus(InstallStatusText(kApkInstallStartText, serial));
    LaunchApkInstallWorker(*context_.workers, std::move(view), *context_.runner, std::move(serial));
}

void InstallPanel::OnStartCompanionInstall() {
    auto view = std::make_shared<WindowInstallView>(window_.Link());
    std::string serial = Target();
    view->ShowInstallStatus(InstallStatusText(kCompanionInstallStartText, serial));
    LaunchCompanionInstallWorker(*context_.workers, std::move(view), *context_.runner,
                                 context_.paths.systemDir, std::move(serial));
}

}  // namespace nimbo
