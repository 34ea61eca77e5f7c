#pragma once
// TCP client on loopback with bounded waits: connect, send, recv, close.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/result.h"

namespace nimbo::platform {

enum class NetError {
    Refused,   // nothing listens on the port
    TimedOut,  // the peer did not answer within the time-out
    Closed,    // the peer closed the connection (a recv of 0 bytes is not an error)
    Failed,    // anything else (socket could not be made, reset, ...)
};
const char* ToText(NetError e);

struct SocketTimeouts {
    std::chrono::milliseconds connect{2000};
    std::chrono::milliseconds io{5000};
};

// Owns one connected socket; closes it when destroyed. Move-only.
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    static Result<TcpSocket, NetError> Connect(const std::string& host, uint16_t port,
                                               SocketTimeouts timeouts = {});
    bool IsOpen() const { return handle_ != kNoHandle; }
    // One send call of the whole buffer (loops over partial sends).
    Result<size_t, NetError> Send(std::span<const char> data);
    // One receive of at most data.size() bytes; 0 when the peer has closed.
    Result<size_t, NetError> Recv(std::span<char> data);
    // Receives until data is full or the peer closes; returns the count.
    Result<size_t, NetError> RecvAll(std::span<char> data);
    // Ends the connection both ways without giving up the handle: a receive
    // or send waiting on another thread returns at once (closed or failed).
    // The one call that may come from another thread, and not after Close.
    void Shutdown();
    void Close();

private:
    // The system's own handle of the socket, stored as an integer wide enough
    // for any system's kind of handle; only the system's implementation reads it.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    explicit TcpSocket(Handle handle, SocketTimeouts t) : handle_(handle), timeouts_(t) {}
    Handle handle_ = kNoHandle;
    SocketTimeouts timeouts_{};
};

// 127.0.0.1 and 5037, or ANDROID_ADB_SERVER_PORT when that is set.
uint16_t AdbServerPort();

}  // namespace nimbo::platform
