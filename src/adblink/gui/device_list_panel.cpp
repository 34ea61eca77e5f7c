#include "adblink/gui/device_list_panel.h"

#include "adblink/device_list.h"

namespace nimbo {
namespace {
constexpr int kKindColumn = 1;
constexpr int kSerialColumn = 2;
}  // namespace

DeviceListPanel::DeviceListPanel(ui::Dialog& window, ui::ListView& list, ui::Control& currentDevice,
                                 const AppContext& context)
    : window_(window), list_(list), currentDevice_(currentDevice), context_(context) {}

void DeviceListPanel::Refresh() {
    list_.DeleteAllItems();
    auto rows = FetchDeviceList(context_.AdbServer(context_.deviceListTimeouts));
    // No server, a refusal or silence: an empty list and no message. The user
    // presses the button again once the server is up.
    if (!rows.ok()) {
        switch (rows.error()) {
            case DeviceListError::NoServer:
                last_ = Fetch::NoServer;
                break;
            case DeviceListError::TimedOut:
                last_ = Fetch::TimedOut;
                break;
            default:
                last_ = Fetch::Failed;
        }
        return;
    }
    last_ = rows->empty() ? Fetch::Empty : Fetch::Listed;
    for (const DeviceRow& device : *rows) {
        const int row = list_.InsertItem(list_.GetItemCount(), device.numberText, device.kindImage);
        list_.SetItemText(row, kKindColumn, device.kindText);
        list_.SetItemText(row, kSerialColumn, device.serial);
    }
    if (list_.GetItemCount() > 0) currentDevice_.SetText(list_.GetItemText(0, kSerialColumn));
}

bool DeviceListPanel::Waiting() const {
    return last_ == Fetch::NoServer || last_ == Fetch::Empty;
}

void DeviceListPanel::StartRetries(int retries, std::chrono::milliseconds interval) {
    retriesLeft_ = retries;
    if (retriesLeft_ <= 0 || !Waiting()) return;
    retryTimer_ = window_.MakeTimer(interval, [this] { Retry(); });
    retryTimer_->SetName("deviceRetryTimer");
    retryTimer_->Start();
}

void DeviceListPanel::Retry() {
    --retriesLeft_;
    Refresh();
    if (retriesLeft_ <= 0 || !Waiting()) retryTimer_->Stop();
}

void DeviceListPanel::OnListClick() {
    // The mark, not the clicked point: a click below the last row re-chooses the
    // row marked before.
    const int mark = list_.GetSelectionMark();
    if (mark < 0) return;
    currentDevice_.SetText(list_.GetItemText(mark, kSerialColumn));
}

}  // namespace nimbo
