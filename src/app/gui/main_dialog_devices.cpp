// The device list and the current device.
//
// The current device has no home but the text of static 1022: the screenshot
// window reads it back from there. It follows the first listed device on every
// refresh that lists one, and the marked row on every click; nothing clears it,
// so an unplugged phone stays current until another one is listed or chosen.
#include "adblink/device_list.h"
#include "app/gui/main_dialog.h"
#include "templates/control_ids.h"

namespace nimbo {

namespace {
constexpr int kKindColumn = 1;
constexpr int kSerialColumn = 2;
}  // namespace

void MainDialog::RefreshDeviceList() {
    deviceList_->DeleteAllItems();
    // Runs on the window's thread, as the list must be current when the handler
    // returns; the short time-outs bound how long a silent server holds it.
    auto rows = FetchDeviceList(DefaultAdbEndpoint(kDeviceListTimeouts));
    // No server, a refusal or silence: an empty list and no message. The user
    // presses the button again once the server is up.
    if (!rows.ok()) return;
    for (const DeviceRow& device : *rows) {
        const int row = deviceList_->InsertItem(deviceList_->GetItemCount(), device.numberText,
                                                device.kindImage);
        deviceList_->SetItemText(row, kKindColumn, device.kindText);
        deviceList_->SetItemText(row, kSerialColumn, device.serial);
    }
    if (deviceList_->GetItemCount() > 0) {
        SetItemTextNow(ids::kCurrentDevice, deviceList_->GetItemText(0, kSerialColumn));
    }
}

void MainDialog::OnRefreshDevices() {
    RefreshDeviceList();
}

void MainDialog::OnDeviceListClick() {
    // The mark, not the clicked point: a click below the last row re-chooses the
    // row marked before.
    const int mark = deviceList_->GetSelectionMark();
    if (mark < 0) return;
    SetItemTextNow(ids::kCurrentDevice, deviceList_->GetItemText(mark, kSerialColumn));
}

}  // namespace nimbo
