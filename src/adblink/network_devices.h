#pragma once
// Phones reached over the network ("adb connect HOST:PORT", "adb disconnect
// SERIAL") and the texts the operation status shows for what adb answered.
// adb 29 exits with 0 whether or not the connection came about, so the
// outcome is read from its words.
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"

namespace nimbo {

inline constexpr const char* kConnectMenuText = "连接无线设备...";
inline constexpr const char* kDisconnectMenuText = "断开";
inline constexpr const char* kConnectTitle = "连接无线设备";
inline constexpr const char* kConnectPrompt = "请输入无线设备的地址和端口 (例如 192.168.1.5:5555):";
inline constexpr const char* kConnectingText = "正在连接无线设备 ";
inline constexpr const char* kDisconnectingText = "正在断开无线设备 ";
inline constexpr const char* kBadAddressText =
    "无线设备的地址无效,请输入 主机:端口,例如 192.168.1.5:5555";
inline constexpr const char* kConnectedText = "无线设备已连接: ";
inline constexpr const char* kConnectFailedText = "无线设备连接失败: ";
inline constexpr const char* kDisconnectedText = "无线设备已断开: ";
inline constexpr const char* kDisconnectFailedText = "断开失败: ";

// A serial of a network device: HOST:PORT.
bool IsNetworkSerial(std::string_view serial);
// The typed address as adb is to get it (blanks around it dropped); empty when
// it cannot be one: empty, blanks or control characters inside, a leading
// "-" (adb would read an option), no ":PORT" with a port of 1 to 65535.
std::string NetworkAddress(std::string_view typed);

// adb's answer to connect / disconnect as the operation status shows it:
// "connected to X" and "already connected to X" are connections; anything
// else ("failed to connect to 'X': Connection refused", "failed to
// authenticate to X", "error: ...") a failure, shown with adb's own line.
std::string ConnectOutcomeText(std::string_view output);
std::string DisconnectOutcomeText(std::string_view output);

// Runs the command and hands its outcome text to `report`, on a thread of
// `workers`; report is called at most once and never after a stop.
using OutcomeReport = std::function<void(const std::string& text)>;
void LaunchConnectWorker(WorkerRuntime& workers, const CommandRunner& runner, std::string address,
                         OutcomeReport report);
void LaunchDisconnectWorker(WorkerRuntime& workers, const CommandRunner& runner, std::string serial,
                            OutcomeReport report);

}  // namespace nimbo
