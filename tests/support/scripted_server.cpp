#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace nimbo::test {

namespace {
constexpr std::chrono::milliseconds kGuard{10000};

int ListenOnLoopback(uint16_t& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    port = ntohs(addr.sin_port);
    return fd;
}
}  // namespace

AdbEndpoint EndpointAt(uint16_t port, std::chrono::milliseconds io) {
    AdbEndpoint e;
    e.port = port;
    e.timeouts = {std::chrono::seconds(2), io};
    return e;
}

std::string Words(std::initializer_list<uint32_t> words) {
    std::string out;
    for (uint32_t w : words) {
        for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((w >> (8 * b)) & 0xFF));
    }
    return out;
}

ScriptedServer::ScriptedServer() {
    listenFd_ = ListenOnLoopback(port_);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
}

ScriptedServer::~ScriptedServer() {
    if (stopPipe_[1] >= 0) (void)!::write(stopPipe_[1], "x", 1);
    Finish();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

ScriptedServer& ScriptedServer::Read(size_t bytes) {
    steps_.push_back({Step::kRead, bytes, {}, {}});
    return *this;
}
ScriptedServer& ScriptedServer::ReadRequest() {
    steps_.push_back({Step::kReadRequest, 0, {}, {}});
    return *this;
}
ScriptedServer& ScriptedServer::Send(std::string bytes) {
    steps_.push_back({Step::kSend, 0, std::move(bytes), {}});
    return *this;
}
ScriptedServer& ScriptedServer::Pause(std::chrono::milliseconds duration) {
    steps_.push_back({Step::kPause, 0, {}, duration});
    return *this;
}
ScriptedServer& ScriptedServer::AwaitClientClose(std::chrono::milliseconds limit) {
    steps_.push_back({Step::kAwaitClose, 0, {}, limit});
    return *this;
}
ScriptedServer& ScriptedServer::Close() {
    steps_.push_back({Step::kClose, 0, {}, {}});
    return *this;
}
ScriptedServer& ScriptedServer::Hang() {
    steps_.push_back({Step::kHang, 0, {}, {}});
    return *this;
}

void ScriptedServer::Start() {
    thread_ = std::thread([this] { Run(); });
}

void ScriptedServer::Finish() {
    if (thread_.joinable()) thread_.join();
}

std::string ScriptedServer::Received() {
    Finish();
    std::lock_guard lock(mutex_);
    return received_;
}
bool ScriptedServer::Connected() {
    Finish();
    std::lock_guard lock(mutex_);
    return connected_;
}
bool ScriptedServer::ClientClosed() {
    Finish();
    std::lock_guard lock(mutex_);
    return clientClosed_;
}

uint16_t ScriptedServer::UnusedPort() {
    uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}

// True when fd has data (or EOF) within the limit; false on time-out or stop.
bool ScriptedServer::WaitReadable(int fd, std::chrono::milliseconds limit) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    for (;;) {
        int n = ::poll(p, 2, static_cast<int>(limit.count()));
        if (n < 0 && errno == EINTR) continue;
        return n > 0 && (p[1].revents & POLLIN) == 0 && p[0].revents != 0;
    }
}

bool ScriptedServer::ReadExactly(int fd, size_t count) {
    while (count > 0) {
        if (!WaitReadable(fd, kGuard)) return false;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, std::min(count, sizeof buf), 0);
        if (n <= 0) {
            std::lock_guard lock(mutex_);
            if (n == 0 || errno == ECONNRESET) clientClosed_ = true;
            return false;
        }
        std::lock_guard lock(mutex_);
        received_.append(buf, static_cast<size_t>(n));
        count -= static_cast<size_t>(n);
    }
    return true;
}

// Reads until the client closes or the limit passes without data.
void ScriptedServer::Drain(int fd, std::chrono::milliseconds limit) {
    for (;;) {
        if (!WaitReadable(fd, limit)) return;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        std::lock_guard lock(mutex_);
        if (n <= 0) {
            // A client that closes with bytes unread resets the connection.
            clientClosed_ = clientClosed_ || n == 0 || errno == ECONNRESET;
            return;
        }
        received_.append(buf, static_cast<size_t>(n));
    }
}

void ScriptedServer::Run() {
    if (!WaitReadable(listenFd_, kGuard)) return;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    {
        std::lock_guard lock(mutex_);
        connected_ = true;
    }
    bool open = true;
    for (const Step& step : steps_) {
        if (!open) break;
        switch (step.kind) {
            case Step::kRead:
                open = ReadExactly(fd, step.count);
                break;
            case Step::kReadRequest: {
                size_t before;
                {
                    std::lock_guard lock(mutex_);
                    before = received_.size();
                }
                open = ReadExactly(fd, 4);
                if (open) {
                    std::string digits;
                    {
                        std::lock_guard lock(mutex_);
                        digits = received_.substr(before, 4);
                    }
                    open = ReadExactly(fd, std::strtoul(digits.c_str(), nullptr, 16));
                }
                break;
            }
            case Step::kSend:
                // A client that already left makes this fail; the test sees that
                // through what the client returned.
                (void)::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                break;
            case Step::kPause:
                std::this_thread::sleep_for(step.duration);
                break;
            case Step::kAwaitClose:
                Drain(fd, step.duration);
                break;
            case Step::kClose:
                ::close(fd);
                fd = -1;
                open = false;
                break;
            case Step::kHang:
                Drain(fd, std::chrono::milliseconds(-1));  // until the client goes or stop
                open = false;
                break;
        }
    }
    if (fd >= 0) {
        if (open) Drain(fd, kGuard);
        ::close(fd);
    }
}

}  // namespace nimbo::test
