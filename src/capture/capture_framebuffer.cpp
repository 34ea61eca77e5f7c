#include "capture/capture_framebuffer.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stop_token>

namespace nimbo {

namespace {

constexpr size_t kBaseHeaderBytes = 16;
constexpr size_t kVersion1HeaderBytes = 52;
constexpr size_t kVersion2HeaderBytes = 56;
constexpr size_t kPixelChunkBytes = 1u << 20;

uint32_t Word(std::span<const uint8_t> bytes, size_t index) {
    const uint8_t* p = bytes.data() + index * 4;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool ChannelFits(const ChannelLayout& c, uint32_t bpp) {
    return c.length <= 16 && c.offset <= bpp && c.length <= bpp - c.offset;
}

bool IsPlainRgb565(const FramebufferHeader& h) {
    return h.bpp == 16 && h.red.offset == 11 && h.red.length == 5 && h.green.offset == 5 &&
           h.green.length == 6 && h.blue.offset == 0 && h.blue.length == 5;
}

// Widens a channel of `length` bits to 8 by repeating its high bits, the way
// the image library widens RGB565, so both paths give the same colours.
uint8_t Widen(uint32_t value, uint32_t length) {
    if (length == 0) return 0;
    if (length >= 8) return static_cast<uint8_t>(value >> (length - 8));
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += static_cast<int>(length)) {
        const int shift = 8 - filled - static_cast<int>(length);
        out |= shift >= 0 ? value << shift : value >> -shift;
    }
    return static_cast<uint8_t>(out);
}

uint8_t Channel(uint32_t pixel, const ChannelLayout& c) {
    if (c.length == 0) return 0;
    const uint32_t mask = c.length >= 32 ? ~0u : (1u << c.length) - 1;
    return Widen((pixel >> c.offset) & mask, c.length);
}

}  // namespace

const char* CaptureResultText(CaptureResult code) {
    switch (code) {
        case CaptureResult::NoDevice:
            return "没有找到设备";
        case CaptureResult::SendFailed:
            return "发送数据失败";
        case CaptureResult::ReceiveFailed:
            return "接收数据失败";
        case CaptureResult::ReceiveError:
            return "接收产生异常";
        case CaptureResult::ImageEmpty:
            return "图片打开为空";
        case CaptureResult::Done:
            return "成功完成";
    }
    return "接收产生异常";
}

size_t FramebufferHeaderSize(uint32_t firstWord) {
    // A version is 1 or 2; the old header starts with a pixel depth (16) instead.
    if (firstWord == 1) return kVersion1HeaderBytes;
    if (firstWord == 2) return kVersion2HeaderBytes;
    return kBaseHeaderBytes;
}

std::optional<FramebufferHeader> DecodeFramebufferHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < kBaseHeaderBytes) return std::nullopt;
    const uint32_t first = Word(bytes, 0);
    if (bytes.size() != FramebufferHeaderSize(first)) return std::nullopt;

    FramebufferHeader h;
    uint64_t bytesPerPixel = 2;  // the old header's pixels are RGB565 whatever it says
    if (bytes.size() == kBaseHeaderBytes) {
        h.bpp = first;
        h.size = Word(bytes, 1);
        h.width = Word(bytes, 2);
        h.height = Word(bytes, 3);
    } else {
        size_t i = 0;
        h.version = Word(bytes, i++);
        h.bpp = Word(bytes, i++);
        if (h.version == 2) h.colorSpace = Word(bytes, i++);
        h.size = Word(bytes, i++);
        h.width = Word(bytes, i++);
        h.height = Word(bytes, i++);
        for (ChannelLayout* c : {&h.red, &h.blue, &h.green, &h.alpha}) {
            c->offset = Word(bytes, i++);
            c->length = Word(bytes, i++);
        }
        if (h.bpp != 16 && h.bpp != 24 && h.bpp != 32) return std::nullopt;
        for (const ChannelLayout* c : {&h.red, &h.green, &h.blue, &h.alpha}) {
            if (!ChannelFits(*c, h.bpp)) return std::nullopt;
        }
        bytesPerPixel = h.bpp / 8;
    }
    if (h.width == 0 || h.height == 0) return std::nullopt;
    // The size is trusted for nothing: it must hold every pixel the width and
    // height promise, and must not ask for an absurd allocation.
    const uint64_t needed = uint64_t{h.width} * h.height * bytesPerPixel;
    if (h.size < needed || h.size > kMaxFramebufferBytes) return std::nullopt;
    return h;
}

void StoreFramebufferPixels(const FramebufferHeader& h, std::vector<uint8_t> block,
                            FramebufferCapture& out) {
    if (h.version == 0 || IsPlainRgb565(h)) {
        out.format = FramebufferPixels::Rgb565;
        out.stride = size_t{h.width} * 2;
        out.pixels = std::move(block);
        return;
    }
    const size_t inBytes = h.bpp / 8;
    const size_t count = size_t{h.width} * h.height;
    out.format = FramebufferPixels::Rgb24;
    out.stride = size_t{h.width} * 3;
    out.pixels.resize(count * 3);
    const uint8_t* in = block.data();
    uint8_t* dst = out.pixels.data();
    for (size_t i = 0; i < count; ++i, in += inBytes, dst += 3) {
        uint32_t pixel = 0;
        for (size_t b = 0; b < inBytes; ++b) pixel |= uint32_t{in[b]} << (8 * b);
        dst[0] = Channel(pixel, h.red);
        dst[1] = Channel(pixel, h.green);
        dst[2] = Channel(pixel, h.blue);
    }
}

FramebufferCapture CaptureFramebuffer(std::string_view serial, const AdbEndpoint& endpoint,
                                      std::chrono::milliseconds frameLimit,
                                      std::stop_token stop) {
    FramebufferCapture out;
    AdbHostConnection conn(endpoint);
    conn.Open();  // a failed connect shows as a failed send below
    // Wakes every wait below on a stop; gone before the connection closes.
    auto wake = [&conn] { conn.Socket().Shutdown(); };
    std::optional<std::stop_callback<decltype(wake)>> onStop;
    onStop.emplace(stop, wake);
    if (serial.empty()) {
        out.code = CaptureResult::NoDevice;
        return out;  // the connection closes with `conn`; nothing was sent
    }
    // Also refuses a serial too long for a request (more than 235 bytes).
    if (!conn.SendRequest(TransportRequest(serial), Framing::UpperHex)) {
        out.code = CaptureResult::SendFailed;
        return out;
    }
    out.code = CaptureResult::ReceiveFailed;
    if (!conn.ReadStatus()) return out;
    conn.SendRequest(FramebufferRequest(), Framing::LowerHex);  // a failure shows in the status
    if (!conn.ReadStatus()) return out;

    // The first 16 bytes must come in one receive, as the device writes them in
    // one piece; a newer header's remainder is then read in full.
    std::array<uint8_t, kVersion2HeaderBytes> headerBytes{};
    platform::TcpSocket& sock = conn.Socket();
    auto got =
        sock.Recv(std::span<char>(reinterpret_cast<char*>(headerBytes.data()), kBaseHeaderBytes));
    if (!got || *got != kBaseHeaderBytes) return out;
    const size_t headerSize = FramebufferHeaderSize(Word(headerBytes, 0));
    if (headerSize > kBaseHeaderBytes) {
        const size_t rest = headerSize - kBaseHeaderBytes;
        auto more = sock.RecvAll(
            std::span<char>(reinterpret_cast<char*>(headerBytes.data()) + kBaseHeaderBytes, rest));
        if (!more || *more != rest) return out;
    }
    out.code = CaptureResult::ReceiveError;
    auto header = DecodeFramebufferHeader(std::span<const uint8_t>(headerBytes.data(), headerSize));
    if (!header) return out;
    out.header = header;

    // Ask for the frame: the service reads one byte of any value. Newer devices
    // send without waiting for it.
    const char trigger = '0';
    (void)sock.Send(std::span<const char>(&trigger, 1));

    // The block grows as its bytes arrive: a header that promises a large frame
    // and then stays silent costs address space, not memory.
    // Each receive is checked against the deadline of the whole block.
    const auto deadline = std::chrono::steady_clock::now() + frameLimit;
    std::vector<uint8_t> block;
    block.reserve(header->size);
    size_t filled = 0;
    while (filled < header->size) {
        if (std::chrono::steady_clock::now() >= deadline || stop.stop_requested()) return out;
        if (block.size() == filled) {
            block.resize(filled + std::min<size_t>(kPixelChunkBytes, header->size - filled));
        }
        auto read = sock.Recv(
            std::span<char>(reinterpret_cast<char*>(block.data()) + filled, block.size() - filled));
        if (!read || *read == 0) return out;
        filled += *read;
    }
    onStop.reset();
    conn.Close();

    StoreFramebufferPixels(*header, std::move(block), out);
    out.code = CaptureResult::Done;
    return out;
}

}  // namespace nimbo
