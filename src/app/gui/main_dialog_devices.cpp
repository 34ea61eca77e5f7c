// The device list and the current device.
//
// The current device has no home but the text of static 1022: the screenshot
// window reads it back from there. It follows the first listed device on every
// refresh that lists one, and the marked row on every click; nothing clears it,
// so an unplugged phone stays current until another one is listed or chosen.
#include <QTimer>

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
    if (!rows.ok()) {
        lastDeviceFetch_ =
            rows.error() == DeviceListError::NoServer ? DeviceFetch::NoServer : DeviceFetch::Failed;
        return;
    }
    lastDeviceFetch_ = rows->empty() ? DeviceFetch::Empty : DeviceFetch::Listed;
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

bool MainDialog::DeviceListWaiting() const {
    return lastDeviceFetch_ == DeviceFetch::NoServer || lastDeviceFetch_ == DeviceFetch::Empty;
}

void MainDialog::StartDeviceRetries() {
    // Start-up has just launched "adb kill-server" and "adb wait-for-device"; the
    // read above usually comes before the new server listens, or before it has
    // found the phone. Only those two cases are read again: a server that
    // rejects the request or stays silent would hold the window on every attempt.
    deviceRetriesLeft_ = context_.startupDeviceRetries;
    if (deviceRetriesLeft_ <= 0 || !DeviceListWaiting()) return;
    deviceRetryTimer_ = new QTimer(this);
    deviceRetryTimer_->setObjectName("deviceRetryTimer");
    deviceRetryTimer_->setInterval(context_.startupDeviceRetryInterval);
    connect(deviceRetryTimer_, &QTimer::timeout, this, &MainDialog::RetryDeviceList);
    deviceRetryTimer_->start();
}

void MainDialog::RetryDeviceList() {
    --deviceRetriesLeft_;
    RefreshDeviceList();
    if (deviceRetriesLeft_ <= 0 || !DeviceListWaiting()) deviceRetryTimer_->stop();
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
