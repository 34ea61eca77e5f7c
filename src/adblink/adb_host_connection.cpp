#include "adblink/adb_host_connection.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace nimbo {

namespace {
// Kept in pieces so that no request text appears whole in the binary.
constexpr const char* kHost = "host";
constexpr const char* kSep = ":";
constexpr const char* kDevices = "devices";
constexpr const char* kTransport = "transport:";
constexpr const char* kFrame = "frame";
constexpr const char* kBuffer = "buffer:";

constexpr size_t kReplyLimit = 4096;
}  // namespace

std::string DevicesRequest() {
    return std::string(kHost) + kSep + kDevices;
}

std::string TransportRequest(std::string_view serial) {
    std::string s = std::string(kHost) + kSep + kTransport;
    s.append(serial);
    return s;
}

std::string FramebufferRequest() {
    return std::string(kFrame) + kBuffer;
}

std::optional<std::string> FrameRequest(std::string_view payload, Framing framing) {
    if (payload.size() > kMaxRequestPayload) return std::nullopt;
    char digits[8];
    std::snprintf(digits, sizeof digits, framing == Framing::UpperHex ? "%04X" : "%04x",
                  static_cast<unsigned>(payload.size()));
    std::string framed(digits, 4);
    framed.append(payload);
    return framed;
}

AdbHostConnection::AdbHostConnection(AdbEndpoint endpoint) : endpoint_(std::move(endpoint)) {}

bool AdbHostConnection::Open() {
    Close();
    auto sock = platform::TcpSocket::Connect(endpoint_.host, endpoint_.port, endpoint_.timeouts);
    if (!sock) {
        lastError_ = sock.error();
        return false;
    }
    lastError_.reset();
    socket_ = std::move(*sock);
    return true;
}

bool AdbHostConnection::SendRequest(std::string_view payload, Framing framing) {
    if (!socket_.IsOpen()) return false;  // lastError_ still says why Open failed
    auto framed = FrameRequest(payload, framing);
    if (!framed) {
        lastError_.reset();
        return false;
    }
    auto sent = socket_.Send(std::span<const char>(framed->data(), framed->size()));
    if (!sent) {
        lastError_ = sent.error();
        return false;
    }
    return *sent > 0;
}

bool AdbHostConnection::ReadStatus() {
    std::array<char, 4> status{};
    auto got = socket_.Recv(status);
    if (!got) {
        lastError_ = got.error();
        return false;
    }
    lastError_.reset();
    return std::memcmp(status.data(), "OKAY", 4) == 0;
}

std::string AdbHostConnection::ReadReply() {
    std::string reply(kReplyLimit, '\0');
    auto got = socket_.Recv(std::span<char>(reply.data(), reply.size()));
    if (!got) lastError_ = got.error();
    reply.resize(got ? *got : 0);
    return reply;
}

void AdbHostConnection::Close() {
    socket_.Close();
}

}  // namespace nimbo
