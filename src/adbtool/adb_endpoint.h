#pragma once
// Where the adb host server listens and how long each call on its socket may
// wait. The windows are handed an endpoint through AppContext; the protocol
// client (adblink) connects to it.
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/socket.h"

namespace nimbo {

// Where the host server listens and how long to wait for it.
struct AdbEndpoint {
    std::string host = "127.0.0.1";
    uint16_t port = 5037;
    platform::SocketTimeouts timeouts{};
};

// 127.0.0.1 and AdbServerPort() (ANDROID_ADB_SERVER_PORT or 5037).
AdbEndpoint DefaultAdbEndpoint(platform::SocketTimeouts timeouts = {});

// Time-outs for the device list: the server answers it from its own tables, so
// a silent server is given up quickly.
inline constexpr platform::SocketTimeouts kDeviceListTimeouts{std::chrono::milliseconds(2000),
                                                              std::chrono::milliseconds(2000)};
// Time-outs for the screen capture: the phone has to grab its screen before the
// header comes, which takes a few seconds on slow phones.
inline constexpr platform::SocketTimeouts kCaptureTimeouts{std::chrono::milliseconds(2000),
                                                           std::chrono::milliseconds(5000)};

}  // namespace nimbo
