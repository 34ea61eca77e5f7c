// Winsock behind TcpSocket, with the same bounded waits as on Linux: the
// socket is non-blocking and every wait goes through select() with the time
// left, so a silent peer costs one time-out per call.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <mutex>
#include <utility>

#include "platform/socket.h"

namespace nimbo::platform {

namespace {

using Clock = std::chrono::steady_clock;

SOCKET SocketOf(std::intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

// Winsock needs one WSAStartup per process before the first socket.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

NetError FromWsa(int err) {
    switch (err) {
        case WSAECONNREFUSED:
            return NetError::Refused;
        case WSAETIMEDOUT:
        case WSAEWOULDBLOCK:
            return NetError::TimedOut;
        case WSAECONNRESET:
        case WSAECONNABORTED:
        case WSAESHUTDOWN:
            return NetError::Closed;
        default:
            return NetError::Failed;
    }
}

enum class Wait { Read, Write };

// Waits until the socket is ready or `deadline` passes; a select() that ends
// early waits again with the time left, rounded up to whole milliseconds. A
// connect that failed shows up in the exception set.
Result<bool, NetError> WaitReady(SOCKET s, Wait what, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) left = std::chrono::milliseconds(0);
        fd_set ready, failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(s, &ready);
        FD_SET(s, &failed);
        timeval tv{static_cast<long>(left.count() / 1000), static_cast<long>(left.count() % 1000) * 1000};
        int n = ::select(0, what == Wait::Read ? &ready : nullptr, what == Wait::Write ? &ready : nullptr,
                         &failed, &tv);
        if (n > 0) return true;
        if (n == 0 && Clock::now() >= deadline) return Err{NetError::TimedOut};
        if (n < 0) return Err{FromWsa(WSAGetLastError())};
    }
}

}  // namespace

Result<TcpSocket, NetError> TcpSocket::Connect(const std::string& host, uint16_t port,
                                               SocketTimeouts timeouts) {
    if (!StartWinsock()) return Err{NetError::Failed};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) return Err{NetError::Failed};

    SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) return Err{NetError::Failed};
    TcpSocket sock(static_cast<Handle>(s), timeouts);
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return Err{NetError::Failed};

    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK && err != WSAEINPROGRESS) return Err{FromWsa(err)};
        auto ready = WaitReady(s, Wait::Write, Clock::now() + timeouts.connect);
        if (!ready) return Err{ready.error()};
        int soError = 0;
        int len = sizeof soError;
        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0) {
            return Err{NetError::Failed};
        }
        if (soError != 0) return Err{FromWsa(soError)};
    }
    return sock;
}

Result<size_t, NetError> TcpSocket::Send(std::span<const char> data) {
    if (!IsOpen()) return Err{NetError::Failed};
    const SOCKET s = SocketOf(handle_);
    size_t sent = 0;
    while (sent < data.size()) {
        // The time-out bounds each stall, not the whole transfer.
        auto ready = WaitReady(s, Wait::Write, Clock::now() + timeouts_.io);
        if (!ready) return Err{ready.error()};
        size_t chunk = std::min<size_t>(data.size() - sent, 1 << 20);
        int n = ::send(s, data.data() + sent, static_cast<int>(chunk), 0);
        if (n == SOCKET_ERROR) {
            int err = WSAGetLastError();
            if (err == WSAEWOULDBLOCK || err == WSAEINTR) continue;
            return Err{FromWsa(err)};
        }
        sent += static_cast<size_t>(n);
    }
    return sent;
}

Result<size_t, NetError> TcpSocket::Recv(std::span<char> data) {
    if (!IsOpen()) return Err{NetError::Failed};
    const SOCKET s = SocketOf(handle_);
    if (data.empty()) return size_t{0};
    auto deadline = Clock::now() + timeouts_.io;
    for (;;) {
        auto ready = WaitReady(s, Wait::Read, deadline);
        if (!ready) return Err{ready.error()};
        size_t chunk = std::min<size_t>(data.size(), 1 << 20);
        int n = ::recv(s, data.data(), static_cast<int>(chunk), 0);
        if (n >= 0) return static_cast<size_t>(n);
        int err = WSAGetLastError();
        if (err == WSAEWOULDBLOCK || err == WSAEINTR) continue;
        return Err{FromWsa(err)};
    }
}

void TcpSocket::Shutdown() {
    if (IsOpen()) ::shutdown(SocketOf(handle_), SD_BOTH);
}

void TcpSocket::Close() {
    if (IsOpen()) ::closesocket(SocketOf(std::exchange(handle_, kNoHandle)));
}

}  // namespace nimbo::platform
