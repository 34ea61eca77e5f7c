// The parts of TcpSocket that are the same on every system: texts for the
// errors and the ownership of the handle. Connecting, reading, writing and
// closing are the system's own (linux/socket.cpp, win/socket.cpp).
#include "platform/socket.h"

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

}  // namespace nimbo::platform
