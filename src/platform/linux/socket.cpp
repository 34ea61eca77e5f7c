// POSIX sockets behind TcpSocket. Every wait goes through poll() with the
// socket's time-out, so a peer that accepts and then stays silent costs at most
// one time-out per call instead of holding the caller forever.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace nimbo::platform {

namespace {

using Clock = std::chrono::steady_clock;

// TcpSocket keeps the descriptor in its portable handle.
int FdOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

NetError FromErrno(int err) {
    switch (err) {
        case ECONNREFUSED:
            return NetError::Refused;
        case ETIMEDOUT:
        case EAGAIN:
            return NetError::TimedOut;
        case EPIPE:
            return NetError::Closed;
        default:
            return NetError::Failed;
    }
}

// Waits until fd is ready for `events` or `deadline` passes. Retries after
// signals, and after a poll that ended before the deadline, with the time that
// is left, so the wait is never shorter than asked for. The time left is
// rounded up to whole milliseconds for the same reason.
Result<bool, NetError> WaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) left = std::chrono::milliseconds(0);
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, static_cast<int>(left.count()));
        if (n > 0) return true;
        if (n == 0 && Clock::now() >= deadline) return Err{NetError::TimedOut};
        if (n < 0 && errno != EINTR) return Err{FromErrno(errno)};
    }
}

}  // namespace

Result<TcpSocket, NetError> TcpSocket::Connect(const std::string& host, uint16_t port,
                                               SocketTimeouts timeouts) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) return Err{NetError::Failed};

    // Non-blocking from the start: connect() then waits in poll() with our
    // time-out instead of the kernel's minutes-long SYN retry schedule.
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return Err{NetError::Failed};
    TcpSocket sock(fd, timeouts);

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return Err{FromErrno(errno)};
        auto ready = WaitReady(fd, POLLOUT, Clock::now() + timeouts.connect);
        if (!ready) return Err{ready.error()};
        int soError = 0;
        socklen_t len = sizeof soError;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) {
            return Err{NetError::Failed};
        }
        if (soError != 0) return Err{FromErrno(soError)};
    }
    return sock;
}

Result<size_t, NetError> TcpSocket::Send(std::span<const char> data) {
    if (!IsOpen()) return Err{NetError::Failed};
    const int fd = FdOf(handle_);
    size_t sent = 0;
    while (sent < data.size()) {
        // The time-out bounds each stall, not the whole transfer, so a large
        // block on a slow but live link still goes through.
        auto ready = WaitReady(fd, POLLOUT, Clock::now() + timeouts_.io);
        if (!ready) return Err{ready.error()};
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return Err{FromErrno(errno)};
        }
        sent += static_cast<size_t>(n);
    }
    return sent;
}

Result<size_t, NetError> TcpSocket::Recv(std::span<char> data) {
    if (!IsOpen()) return Err{NetError::Failed};
    const int fd = FdOf(handle_);
    if (data.empty()) return size_t{0};
    auto deadline = Clock::now() + timeouts_.io;
    for (;;) {
        auto ready = WaitReady(fd, POLLIN, deadline);
        if (!ready) return Err{ready.error()};
        ssize_t n = ::recv(fd, data.data(), data.size(), 0);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return Err{FromErrno(errno)};
    }
}

void TcpSocket::Shutdown() {
    if (IsOpen()) ::shutdown(FdOf(handle_), SHUT_RDWR);
}

void TcpSocket::Close() {
    if (IsOpen()) ::close(FdOf(std::exchange(handle_, kNoHandle)));
}

}  // namespace nimbo::platform
