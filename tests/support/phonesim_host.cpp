#include "support/phonesim_host.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>

namespace nimbo::test {
namespace {

class Client {
public:
    explicit Client(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // A hung server fails the test instead of hanging it.
        timeval timeout{30, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~Client() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    bool Request(const std::string& text) {
        char head[5];
        std::snprintf(head, sizeof head, "%04x", static_cast<unsigned>(text.size()));
        std::string framed = head + text;
        return ::send(fd_, framed.data(), framed.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(framed.size());
    }
    bool SendByte(char c) { return ::send(fd_, &c, 1, MSG_NOSIGNAL) == 1; }
    // Up to n bytes; fewer only when the server closed or timed out.
    std::string Read(size_t n) {
        std::string out;
        char buffer[65536];
        while (out.size() < n) {
            size_t want = std::min(sizeof buffer, n - out.size());
            ssize_t r = ::recv(fd_, buffer, want, 0);
            if (r <= 0) break;
            out.append(buffer, static_cast<size_t>(r));
        }
        return out;
    }
    std::string ReadToEnd() { return Read(SIZE_MAX); }

private:
    int fd_ = -1;
};

}  // namespace

HostReply HostQuery(uint16_t port, const std::string& request) {
    HostReply reply;
    Client c(port);
    if (!c.ok() || !c.Request(request)) return reply;
    reply.connected = true;
    reply.status = c.Read(4);
    std::string length = c.Read(4);
    if (length.size() == 4) {
        reply.body = c.Read(std::strtoul(length.c_str(), nullptr, 16));
    }
    return reply;
}

FramebufferRead ReadFramebuffer(uint16_t port, const std::string& serial, size_t headerBytes) {
    FramebufferRead result;
    Client c(port);
    if (!c.ok() || !c.Request("host:transport:" + serial)) return result;
    result.transportStatus = c.Read(4);
    if (result.transportStatus != "OKAY" || !c.Request("framebuffer:")) return result;
    result.serviceStatus = c.Read(4);
    if (result.serviceStatus != "OKAY") return result;
    result.bytes = c.Read(headerBytes);
    if (result.bytes.size() == headerBytes) {
        c.SendByte('0');
        result.bytes += c.ReadToEnd();
    }
    return result;
}

namespace {

// Must draw exactly what the phone draws; kept apart from its code on purpose
// so that a change there shows up here.
void Pixel(int x, int y, int w, int h, uint8_t* r, uint8_t* g, uint8_t* b) {
    *r = static_cast<uint8_t>(w > 1 ? x * 255 / (w - 1) : 0);
    *g = static_cast<uint8_t>(h > 1 ? y * 255 / (h - 1) : 0);
    *b = ((x / 32 + y / 32) % 2) ? 224 : 32;
}

}  // namespace

std::string ExpectedPictureRgb565(int width, int height) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            Pixel(x, y, width, height, &r, &g, &b);
            uint16_t v = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
            out.push_back(static_cast<char>(v & 0xff));
            out.push_back(static_cast<char>(v >> 8));
        }
    }
    return out;
}

std::string ExpectedPictureRgba8888(int width, int height) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            Pixel(x, y, width, height, &r, &g, &b);
            out += {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b), '\xff'};
        }
    }
    return out;
}

}  // namespace nimbo::test
