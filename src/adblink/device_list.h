#pragma once
// The adb host server's device list, parsed into the rows the main window
// shows (number, kind image and text, serial).
//
// The window's refresh does:
//   auto rows = FetchDeviceList(context.AdbServer(context.deviceListTimeouts));
//   clear the list; if (rows) add each row; if (rows && !rows->empty())
//       currentDevice = (*rows)[0].serial;
// A failed fetch leaves the list empty and the current device unchanged, and
// shows no message.
#include <string>
#include <string_view>
#include <vector>

#include "adblink/adb_host_connection.h"
#include "platform/result.h"

namespace nimbo {

// The values are the indices of the kind icons in the shared image list.
enum class DeviceKind { RealDevice = 0, Emulator = 1, UnknownDevice = 2 };

// From the serial alone, case-insensitively: "unknow" wins over "emulator".
DeviceKind ClassifyDevice(std::string_view serial);
// "未知", "模拟器" or "真机" (UTF-8).
const char* DeviceKindText(DeviceKind kind);

struct DeviceRow {
    std::string numberText;  // "1", "2", ... column 0
    int kindImage = 0;       // image of column 0, as DeviceKind
    std::string kindText;    // column 1
    std::string serial;      // column 2
};

// Parses the reply text of "host:devices" as received: four length digits,
// then one "SERIAL\tSTATE\n" line per device. Lines without a TAB are skipped
// without using up a number; text after the last line feed is ignored; the
// state is ignored (a device is listed in any state).
std::vector<DeviceRow> ParseDeviceListReply(std::string_view reply);

enum class DeviceListError {
    NoServer,  // nothing listens on the port
    TimedOut,  // the server did not accept or answer in time
    Rejected,  // the status was not "OKAY"
    Failed,    // the request could not be sent
};

// Whole exchange: connect, "host:devices", status, one reply, close.
// An "OKAY" followed by a close gives an empty list, not an error; an "OKAY"
// followed by silence is TimedOut.
Result<std::vector<DeviceRow>, DeviceListError> FetchDeviceList(const AdbEndpoint& endpoint);

}  // namespace nimbo
