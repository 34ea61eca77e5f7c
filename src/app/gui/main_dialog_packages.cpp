// The phone's packages: listing, check marks, export, hidden removal button.
#include "app/gui/main_dialog.h"

namespace nimbo {

void MainDialog::OnRefreshPackages() {}
void MainDialog::OnCheckAll() {}
void MainDialog::OnCheckNone() {}
void MainDialog::OnPackageListClick() {}
void MainDialog::OnBackupSelected() {}
void MainDialog::OnRemoveSelected() {}

}  // namespace nimbo
