#pragma once
// One picture of a device's screen through the adb host server's
// "framebuffer:" service: everything that touches the socket and the header.
// The screenshot window does the rest with the returned value.
//
//   FramebufferCapture cap = CaptureFramebuffer(serial, DefaultAdbEndpoint(kCaptureTimeouts));
//   status line  <- CaptureResultText(cap.code)
//   if (cap.header)  fill the resolution list and field from header->width/height
//                    (also on code 3: the header had arrived, the block had not)
//   if (cap.code == CaptureResult::Done)  build capturedImage from cap.pixels:
//        cap.format == FramebufferPixels::Rgb565: little-endian RGB565 words, exactly as
//                      the device sent them;
//        cap.format == FramebufferPixels::Rgb24: bytes R, G, B per pixel (converted
//                      from the 24/32-bit pixels of newer devices);
//        rows top to bottom, cap.stride bytes apart, header->width x header->height.
//   On any other code keep the previous picture.
//
// Headers: the 16-byte one (bpp, size, width, height; the pixels are always
// RGB565 whatever bpp says), and the newer ones whose first word is a version,
// 1 or 2, with channel offsets and lengths. A header whose size cannot hold
// width x height pixels, or asks for more than kMaxFramebufferBytes, is
// refused with code 3 before anything is allocated.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string_view>
#include <vector>

#include "adblink/adb_host_connection.h"

namespace nimbo {

enum class CaptureResult : int {
    NoDevice = 0,       // the serial is empty
    SendFailed = 1,     // the transport request could not be sent (no server, serial too long)
    ReceiveFailed = 2,  // a status other than "OKAY", or the header did not arrive whole
    ReceiveError = 3,   // the pixel block did not arrive whole, or the header was refused
    ImageEmpty = 4,     // never returned here; the window may use it
    Done = 5,           // picture received
};

// The status-line text for each code (UTF-8).
const char* CaptureResultText(CaptureResult code);

inline constexpr uint32_t kMaxFramebufferBytes = 256u * 1024u * 1024u;

struct ChannelLayout {
    uint32_t offset = 0;  // lowest bit of the channel in the little-endian pixel
    uint32_t length = 0;  // bits; 0 means absent
};

struct FramebufferHeader {
    uint32_t version = 0;     // 0 for the 16-byte header
    uint32_t bpp = 16;        // as the device reports it
    uint32_t colorSpace = 0;  // version 2 only
    uint32_t size = 0;        // bytes of the pixel block
    uint32_t width = 0;
    uint32_t height = 0;
    ChannelLayout red, green, blue, alpha;  // version 1 and 2 only
};

enum class FramebufferPixels { Rgb565, Rgb24 };

struct FramebufferCapture {
    CaptureResult code = CaptureResult::SendFailed;
    std::optional<FramebufferHeader> header;  // a usable header arrived (codes 3 and 5)
    FramebufferPixels format = FramebufferPixels::Rgb565;
    size_t stride = 0;            // bytes per row of `pixels`
    std::vector<uint8_t> pixels;  // code 5 only; at least stride * height bytes
};

// How long the whole pixel block may take. Each receive has the endpoint's
// time-out, but a peer that trickles a byte now and then would satisfy every
// one of them and hold the window for good; 20 s is far beyond a real frame
// (40 MB at the 22 MB/s of the server's loopback is under 2 s).
inline constexpr std::chrono::milliseconds kFrameLimit{20000};

// Opens its own connection to the server, switches it to `serial`, reads one
// frame and closes it on every way out. A pixel block not complete within
// frameLimit is a block cut short. A stop (the program ending while a worker
// captures) ends the connection at once; what was received by then is
// reported like any capture cut short.
FramebufferCapture CaptureFramebuffer(std::string_view serial, const AdbEndpoint& endpoint,
                                      std::chrono::milliseconds frameLimit = kFrameLimit,
                                      std::stop_token stop = {});

// The header decoding, checks and pixel conversion, apart from the socket.
// `bytes` is the whole header (16, 52 or 56 bytes); nullopt when its size or
// layout cannot describe width x height pixels.
std::optional<FramebufferHeader> DecodeFramebufferHeader(std::span<const uint8_t> bytes);
// Bytes of the header that starts with `firstWord`.
size_t FramebufferHeaderSize(uint32_t firstWord);
// Converts (or keeps) a received block; fills format, stride and pixels.
void StoreFramebufferPixels(const FramebufferHeader& header, std::vector<uint8_t> block,
                            FramebufferCapture& out);

}  // namespace nimbo
