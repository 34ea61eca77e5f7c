#pragma once
// Client side of the adb host server's socket protocol: one connection, framed
// requests, the four-byte status word and the reply.
//
// A request goes out as four hex digits giving the payload's length, then the
// payload, in one send. Each exchange opens its own connection and closes it;
// nothing is reused. Typical use:
//
//   AdbHostConnection conn(DefaultAdbEndpoint());
//   conn.Open();                                   // failure shows at SendRequest
//   if (conn.SendRequest(DevicesRequest(), Framing::LowerHex) && conn.ReadStatus())
//       reply = conn.ReadReply();
//   conn.Close();                                  // the destructor closes too
//
// Every call is bounded by the endpoint's time-outs, so a server that accepts
// and never answers makes the call fail instead of blocking its window.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "adbtool/adb_endpoint.h"
#include "platform/socket.h"

namespace nimbo {

// Hex digits of the length prefix. The server accepts both; the transport
// switch is sent in upper case, the other requests in lower case.
enum class Framing { LowerHex, UpperHex };

// The framed text must fit a 255-byte buffer with its terminating zero.
inline constexpr size_t kMaxRequestPayload = 250;

// The request payloads the program sends.
std::string DevicesRequest();                           // "host:devices"
std::string TransportRequest(std::string_view serial);  // "host:transport:" + serial
std::string FramebufferRequest();                       // "framebuffer:"

// "%04x%s" or "%04X%s"; nullopt when the payload is longer than
// kMaxRequestPayload.
std::optional<std::string> FrameRequest(std::string_view payload, Framing framing);

class AdbHostConnection {
public:
    explicit AdbHostConnection(AdbEndpoint endpoint);
    ~AdbHostConnection() = default;
    AdbHostConnection(const AdbHostConnection&) = delete;
    AdbHostConnection& operator=(const AdbHostConnection&) = delete;

    // Connects to the server. Returns whether it did, but callers may ignore
    // it: a failed connect makes the first SendRequest fail.
    bool Open();

    // The socket error behind the latest failed call (Refused: no server,
    // TimedOut: the server stayed silent, ...). Empty when the latest failure
    // was not a socket error (a "FAIL" status, an over-long payload).
    std::optional<platform::NetError> LastError() const { return lastError_; }

    // Frames the payload and sends it in one piece. False when not connected,
    // when the payload is too long, or when the send fails or sends nothing.
    bool SendRequest(std::string_view payload, Framing framing);

    // One receive of at most 4 bytes; true only for exactly "OKAY". A "FAIL"
    // reason text is left unread.
    bool ReadStatus();

    // One receive of at most 4096 bytes, returned as it came (for host:devices
    // it starts with the reply's four length digits). Empty on close, error or
    // time-out.
    std::string ReadReply();

    void Close();
    bool IsOpen() const { return socket_.IsOpen(); }

    // The raw socket, for services that stream their own data after the status
    // (the framebuffer).
    platform::TcpSocket& Socket() { return socket_; }

private:
    AdbEndpoint endpoint_;
    platform::TcpSocket socket_;
    std::optional<platform::NetError> lastError_;
};

}  // namespace nimbo
