#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace nimbo::fuzz {

namespace {
// A client that neither reads nor closes would be a fault of the code under
// test; the peer gives it this long before dropping the connection, so the
// fault shows as a failed exchange instead of a stuck fuzzer.
constexpr int kGuardMs = 10000;
}  // namespace

LoopbackPeer::LoopbackPeer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        std::perror("loopback peer");
        std::abort();
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackPeer::~LoopbackPeer() {
    stopping_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);
    thread_.join();
    ::close(listenFd_);
}

void LoopbackPeer::SetAnswer(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    answer_.assign(bytes);
}

void LoopbackPeer::Serve() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Answer(fd);
        ::close(fd);
    }
}

void LoopbackPeer::Answer(int fd) {
    std::string answer;
    {
        std::lock_guard lock(mutex_);
        answer = answer_;
    }
    size_t sent = 0;
    while (sent < answer.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kGuardMs) <= 0) return;
        ssize_t n = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the client has gone
        sent += static_cast<size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kGuardMs) <= 0) return;
        ssize_t n = ::recv(fd, sink, sizeof sink, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
    }
}

}  // namespace nimbo::fuzz
