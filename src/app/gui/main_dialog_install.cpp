// Installing a chosen APK file or the companion package. The handlers only
// write the start text and hand over to a worker thread; nothing is disabled,
// so a second click runs a second install beside the first.
#include "app/gui/main_dialog.h"
#include "install/install_workers.h"
#include "templates/control_ids.h"

namespace nimbo {

void MainDialog::ChooseApkFile() {
    if (auto path = ChooseApkFilePath(*context_.dialogs)) {
        SetItemTextNow(ids::kApkPathEdit, *path);
    }
}

void MainDialog::StartApkInstall() {
    SetItemTextNow(ids::kInstallStatus, kApkInstallStartText);
    LaunchApkInstallWorker(Items(), *context_.runner);
}

void MainDialog::StartCompanionInstall() {
    SetItemTextNow(ids::kInstallStatus, kCompanionInstallStartText);
    LaunchCompanionInstallWorker(Items(), *context_.runner, context_.paths.systemDir);
}

}  // namespace nimbo
