// The parts of TcpSocket that are the same on every system: texts for the
// errors, the ownership of the handle, reading a whole block and the adb
// server's port. Connecting, reading, writing and closing are the system's own
// (linux/socket.cpp, win/socket.cpp).
#include "platform/socket.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace nimbo::platform {

const char* ToText(NetError e) {
    switch (e) {
        case NetError::Refused:
            return "connection refused";
        case NetError::TimedOut:
            return "timed out";
        case NetError::Closed:
            return "connection closed by peer";
        case NetError::Failed:
            return "socket error";
    }
    return "socket error";
}

TcpSocket::~TcpSocket() {
    Close();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), timeouts_(other.timeouts_) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kNoHandle);
        timeouts_ = other.timeouts_;
    }
    return *this;
}

Result<size_t, NetError> TcpSocket::RecvAll(std::span<char> data) {
    size_t got = 0;
    while (got < data.size()) {
        auto n = Recv(data.subspan(got));
        if (!n) return Err{n.error()};
        if (*n == 0) break;
        got += *n;
    }
    return got;
}

uint16_t AdbServerPort() {
    constexpr uint16_t kDefaultPort = 5037;
    const char* text = std::getenv("ANDROID_ADB_SERVER_PORT");
    if (text == nullptr || *text == '\0') return kDefaultPort;
    char* end = nullptr;
    errno = 0;
    long port = std::strtol(text, &end, 10);
    // adb itself refuses a malformed value; we fall back to its default rather
    // than talk to a port nobody asked for.
    if (errno != 0 || *end != '\0' || port < 1 || port > 65535) return kDefaultPort;
    return static_cast<uint16_t>(port);
}

}  // namespace nimbo::platform
