#include "framebuffer_service.h"

#include <chrono>
#include <initializer_list>
#include <mutex>
#include <thread>

#include "held_answer.h"
#include "stream.h"

namespace nimbo::phonesim {
namespace {

void AppendLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool IsVersioned(FramebufferMode mode) {
    return mode == FramebufferMode::Version1 || mode == FramebufferMode::Version2;
}

// Long enough that the two halves of the header reach the reader apart.
constexpr auto kSplitPause = std::chrono::milliseconds(500);

}  // namespace

Rgb TestPicturePixel(int x, int y, int width, int height) {
    Rgb p;
    p.r = static_cast<uint8_t>(width > 1 ? x * 255 / (width - 1) : 0);
    p.g = static_cast<uint8_t>(height > 1 ? y * 255 / (height - 1) : 0);
    p.b = ((x / 32 + y / 32) & 1) ? 224 : 32;
    return p;
}

std::string TestPictureRgb565(int width, int height) {
    std::string out;
    out.reserve(size_t(width) * height * 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb p = TestPicturePixel(x, y, width, height);
            uint16_t v = uint16_t((p.r >> 3) << 11 | (p.g >> 2) << 5 | (p.b >> 3));
            out.push_back(static_cast<char>(v & 0xff));
            out.push_back(static_cast<char>(v >> 8));
        }
    }
    return out;
}

std::string TestPictureRgba8888(int width, int height) {
    std::string out;
    out.reserve(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb p = TestPicturePixel(x, y, width, height);
            out.push_back(static_cast<char>(p.r));
            out.push_back(static_cast<char>(p.g));
            out.push_back(static_cast<char>(p.b));
            out.push_back(static_cast<char>(0xff));
        }
    }
    return out;
}

std::string FramebufferHeader(FramebufferMode mode, int width, int height) {
    std::string h;
    uint32_t w = static_cast<uint32_t>(width);
    uint32_t ht = static_cast<uint32_t>(height);
    if (!IsVersioned(mode)) {
        for (uint32_t v : {16u, w * ht * 2, w, ht}) AppendLe32(h, v);
        return h;
    }
    bool v2 = mode == FramebufferMode::Version2;
    AppendLe32(h, v2 ? 2 : 1);
    AppendLe32(h, 32);
    if (v2) AppendLe32(h, 0);  // colour space: unknown / sRGB
    AppendLe32(h, w * ht * 4);
    AppendLe32(h, w);
    AppendLe32(h, ht);
    // Bit offset and length of red, blue, green and alpha in each 32-bit word.
    for (uint32_t v : {0u, 8u, 16u, 8u, 8u, 8u, 24u, 8u}) AppendLe32(h, v);
    return h;
}

// Screenshots come in series of the same size; drawing a large picture
// costs more than sending it, so the last one is kept.
std::string CachedPicture(bool rgba, int width, int height) {
    static std::mutex mutex;
    static std::string pixels;
    static int key[3] = {-1, 0, 0};
    std::lock_guard lock(mutex);
    if (key[0] != int(rgba) || key[1] != width || key[2] != height) {
        pixels = rgba ? TestPictureRgba8888(width, height) : TestPictureRgb565(width, height);
        key[0] = int(rgba);
        key[1] = width;
        key[2] = height;
    }
    return pixels;
}

void ServeFramebuffer(Stream& stream, const PhoneSettings& s, const PhoneControl& control) {
    const FramebufferMode mode = s.framebuffer;
    stream.Accept();
    if (mode == FramebufferMode::Refuse) return;
    std::string header = FramebufferHeader(mode, s.screenWidth, s.screenHeight);
    if (mode == FramebufferMode::SplitHeader) {
        if (!stream.Write(header.substr(0, 8))) return;
        std::this_thread::sleep_for(kSplitPause);
        if (!stream.Write(header.substr(8))) return;
    } else if (!stream.Write(header)) {
        return;
    }
    if (IsVersioned(mode)) {
        if (!HoldAnswer(&stream, control, &PhoneSettings::frameDelayMs, "framebuffer")) return;
        stream.Write(CachedPicture(true, s.screenWidth, s.screenHeight));
        return;
    }
    // The old service sends a frame only when the client asks with one byte.
    char trigger = 0;
    if (!stream.ReadExact(&trigger, 1)) return;
    if (!HoldAnswer(&stream, control, &PhoneSettings::frameDelayMs, "framebuffer")) return;
    std::string pixels = CachedPicture(false, s.screenWidth, s.screenHeight);
    if (mode == FramebufferMode::ShortPixels) pixels.resize(pixels.size() / 2);
    stream.Write(pixels);
}

}  // namespace nimbo::phonesim
