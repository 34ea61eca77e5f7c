#include "adblink/gui/device_list_panel.h"

#include <utility>

#include "adblink/device_list.h"
#include "adblink/device_tracker.h"
#include "adblink/network_devices.h"
#include "templates/control_ids.h"
#include "ui/dialog_items.h"

namespace nimbo {
namespace {
constexpr int kKindColumn = 1;
constexpr int kSerialColumn = 2;
}  // namespace

DeviceListPanel::DeviceListPanel(ui::Dialog& window, ui::ListView& list, ui::Control& currentDevice,
                                 const AppContext& context)
    : window_(window), list_(list), currentDevice_(currentDevice), context_(context) {}

void DeviceListPanel::Refresh() {
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
        list_.DeleteAllItems();
        return;
    }
    ShowRows(*rows);
}

void DeviceListPanel::ShowRows(const std::vector<DeviceRow>& rows) {
    list_.DeleteAllItems();
    last_ = rows.empty() ? Fetch::Empty : Fetch::Listed;
    for (const DeviceRow& device : rows) {
        const int row = list_.InsertItem(list_.GetItemCount(), device.numberText, device.kindImage);
        list_.SetItemText(row, kKindColumn, device.kindText);
        list_.SetItemText(row, kSerialColumn, device.serial);
    }
    if (list_.GetItemCount() > 0) currentDevice_.SetText(list_.GetItemText(0, kSerialColumn));
}

void DeviceListPanel::StartTracking() {
    if (!context_.trackDevices || !context_.workers) return;
    // The worker reaches the panel only inside a call the window's link
    // carries out on the window's thread, which it refuses once the window
    // is gone; the panel goes with the window.
    context_.workers->StartBackground(
        [items = window_.Link(), panel = this, context = &context_](std::stop_token stop) {
            TrackDevices([context] { return context->AdbServer({}); },
                         [&](const std::vector<DeviceRow>& rows) {
                             return items->RunOnUiThread([&] { panel->ShowRows(rows); });
                         },
                         stop);
        });
}

void DeviceListPanel::OnContextMenu() {
    if (!context_.dialogs || !context_.workers || !context_.runner) return;
    const int mark = list_.GetSelectionMark();
    const std::string serial = mark >= 0 ? list_.GetItemText(mark, kSerialColumn) : std::string();
    std::vector<std::string> items{kConnectMenuText};
    if (IsNetworkSerial(serial)) items.push_back(kDisconnectMenuText);
    const auto chosen = context_.dialogs->PopupMenu(items);
    if (!chosen) return;

    // The outcome is shown and the list read again on the window's thread.
    auto report = [link = window_.Link(), panel = this](const std::string& text) {
        link->RunOnUiThread([&] {
            link->SetDlgItemText(ids::kOperationStatus, text);
            panel->Refresh();
        });
    };
    if (*chosen == 0) {
        const auto typed = context_.dialogs->AskText(kConnectTitle, kConnectPrompt);
        if (!typed) return;
        const std::string address = NetworkAddress(*typed);
        if (address.empty()) {
            window_.SetItemTextNow(ids::kOperationStatus, kBadAddressText);
            return;
        }
        window_.SetItemTextNow(ids::kOperationStatus, kConnectingText + address);
        LaunchConnectWorker(*context_.workers, *context_.runner, address, std::move(report));
    } else if (*chosen == 1 && IsNetworkSerial(serial)) {
        window_.SetItemTextNow(ids::kOperationStatus, kDisconnectingText + serial);
        LaunchDisconnectWorker(*context_.workers, *context_.runner, serial, std::move(report));
    }
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

std::string DeviceListPanel::TargetSerial() const {
    return list_.GetItemCount() >= 2 ? currentDevice_.Text() : std::string();
}

void DeviceListPanel::OnListClick() {
    // The mark, not the clicked point: a click below the last row re-chooses the
    // row marked before.
    const int mark = list_.GetSelectionMark();
    if (mark < 0) return;
    currentDevice_.SetText(list_.GetItemText(mark, kSerialColumn));
}

}  // namespace nimbo
