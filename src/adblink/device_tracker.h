#pragma once
// Follows the adb server's device list as phones come and go: one
// connection asks "host:track-devices", and the server sends the whole list
// again (four hex digits of length, then "SERIAL\tSTATE\n" lines) whenever
// it changes. Runs on a background worker until its stop token fires.
//
// A connection that cannot be made, or that the server closes (it was
// restarted), is tried again quietly after a pause; after `maxRetries`
// failures in a row the watch gives up: the refresh button still works.
#include <chrono>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "adblink/device_list.h"
#include "adbtool/adb_endpoint.h"

namespace nimbo {

struct DeviceTrackerOptions {
    int maxRetries = 40;
    std::chrono::milliseconds retryInterval{500};
    // The longest a read waits before the stop token is looked at again.
    std::chrono::milliseconds pollSlice{200};
    // How long the server may take to accept and to say "OKAY".
    std::chrono::milliseconds answerWithin{2000};
};

enum class TrackEnd {
    Stopped,     // the stop token fired
    GaveUp,      // maxRetries connections failed in a row
    WindowGone,  // onList said the list has no window any more
};

// Every list the server sends goes to onList as rows (ParseDeviceListReply);
// onList returns false once nobody wants more. endpoint is asked anew before
// every connection (the server's port may change between runs).
TrackEnd TrackDevices(const std::function<AdbEndpoint()>& endpoint,
                      const std::function<bool(const std::vector<DeviceRow>&)>& onList,
                      std::stop_token stop, const DeviceTrackerOptions& options = {});

// The request payload: "host:track-devices".
std::string TrackDevicesRequest();

// Takes every complete message off the front of `buffer` (length digits and
// text), leaving an unfinished one; the texts in order, each with its digits.
// A length that is not four hex digits empties the buffer and yields nothing
// more: the stream cannot be followed past it.
std::vector<std::string> TakeTrackedMessages(std::string& buffer, bool* broken = nullptr);

}  // namespace nimbo
