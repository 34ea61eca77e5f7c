#pragma once
// The main window's device list (1020) and the current device (static 1022).
//
// The current device has no home but the text of its static: the screenshot
// window reads it back from there. It follows the first listed device on every
// refresh that lists one, and the marked row on every click; nothing clears it,
// so an unplugged phone stays current until another one is listed or chosen.
//
// With AppContext::trackDevices the list also follows plugging and
// unplugging by itself: a background worker of the session watches the
// server (device_tracker.h) and every list it sends is shown like a refresh.
// The list's context menu connects and disconnects network devices.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "adblink/device_list.h"
#include "adbtool/app_context.h"
#include "ui/control.h"
#include "ui/dialog.h"
#include "ui/timer.h"

namespace nimbo {

class DeviceListPanel {
public:
    // How the latest read ended.
    enum class Fetch { Listed, Empty, NoServer, TimedOut, Failed };

    // `list` and `currentDevice` belong to `window`, which outlives the panel;
    // so does `context`, whose endpoint and device-list time-outs every read
    // takes anew.
    DeviceListPanel(ui::Dialog& window, ui::ListView& list, ui::Control& currentDevice,
                    const AppContext& context);

    // Reads the server's list into the list view, on the window's thread: the
    // list must be current when the handler returns; the short time-outs bound
    // how long a silent server holds the window.
    void Refresh();
    // Shows these rows as a refresh that read them does.
    void ShowRows(const std::vector<DeviceRow>& rows);
    // Starts the watch on the device list when the context asks for it.
    void StartTracking();
    // The list's context menu: "连接无线设备..." and, on a network device,
    // "断开"; the outcome goes to the operation status and the list is read
    // again.
    void OnContextMenu();
    // Start-up has just run "adb kill-server" and launched "adb wait-for-device";
    // the first read usually comes before the new server listens, or before it
    // has found the phone. Only those two cases are read again, `retries`
    // times `interval` apart: a server that rejects the request or stays
    // silent would hold the window on every attempt.
    void StartRetries(int retries, std::chrono::milliseconds interval);
    // The click notification: the marked row becomes the current device.
    void OnListClick();
    Fetch LastFetch() const { return last_; }
    // The phone that adb commands must name: with two or more devices listed,
    // the current device; with one or none, empty (adb's only phone, and the
    // command lines stay as they always were).
    std::string TargetSerial() const;

private:
    bool Waiting() const;
    void Retry();

    ui::Dialog& window_;
    ui::ListView& list_;
    ui::Control& currentDevice_;
    const AppContext& context_;
    Fetch last_ = Fetch::Failed;
    std::unique_ptr<ui::Timer> retryTimer_;
    int retriesLeft_ = 0;
};

}  // namespace nimbo
