#pragma once
// A bare client of the adb host socket and the simulated phone's test picture,
// for end-to-end checks that look at the bytes themselves.
#include <cstdint>
#include <string>

namespace nimbo::test {

struct HostReply {
    bool connected = false;
    std::string status;  // "OKAY", "FAIL", or what came instead
    std::string body;    // the length-prefixed text after the status, if any
};

// One request that answers with a length-prefixed text (host:devices, ...).
HostReply HostQuery(uint16_t port, const std::string& request);

struct FramebufferRead {
    std::string transportStatus;
    std::string serviceStatus;
    std::string bytes;  // everything after the service's OKAY, to the end
};

// host:transport:SERIAL, framebuffer:, then reads headerBytes, sends the
// trigger byte and reads until the server closes the connection.
FramebufferRead ReadFramebuffer(uint16_t port, const std::string& serial, size_t headerBytes);

// The picture the simulated phone shows, as its framebuffer service sends it.
std::string ExpectedPictureRgb565(int width, int height);
std::string ExpectedPictureRgba8888(int width, int height);

}  // namespace nimbo::test
