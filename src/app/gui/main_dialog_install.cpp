// Installing a chosen APK file or the companion package.
#include "app/gui/main_dialog.h"

namespace nimbo {

void MainDialog::ChooseApkFile() {}
void MainDialog::StartApkInstall() {}
void MainDialog::StartCompanionInstall() {}

}  // namespace nimbo
