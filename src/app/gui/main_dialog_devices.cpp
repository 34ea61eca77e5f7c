// The device list and the current device.
#include "app/gui/main_dialog.h"

namespace nimbo {

void MainDialog::RefreshDeviceList() {}
void MainDialog::OnRefreshDevices() {}
void MainDialog::OnDeviceListClick() {}

}  // namespace nimbo
