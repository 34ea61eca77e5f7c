// What the host server sends for a screen capture: two status words, the
// header and the pixel block. Each input is played twice: through the header
// and pixel functions directly, and through CaptureFramebuffer against a
// loopback peer that sends the same bytes, so the socket reads and their
// checks run as they do for a real capture.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "capture/capture_framebuffer.h"
#include "fuzz_check.h"
#include "loopback_peer.h"

namespace {

using nimbo::CaptureResult;
using nimbo::FramebufferCapture;
using nimbo::FramebufferHeader;

uint32_t FirstWord(std::span<const uint8_t> bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

// A finished capture holds every pixel the header promises.
void CheckPixels(const FramebufferHeader& h, const FramebufferCapture& cap) {
    const size_t bytesPerPixel = cap.format == nimbo::FramebufferPixels::Rgb565 ? 2 : 3;
    NIMBO_FUZZ_CHECK(cap.stride == size_t{h.width} * bytesPerPixel);
    NIMBO_FUZZ_CHECK(cap.pixels.size() >= cap.stride * h.height);
}

// The socket path allocates the whole block the header asks for before it
// reads; headers claiming more than this are left to the direct path, which
// checks them the same way, so that each run stays fast.
constexpr uint32_t kLargestSocketBlock = 4u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static nimbo::fuzz::LoopbackPeer peer;
    const std::span<const uint8_t> input(data, size);

    // After "OKAY" twice: the header, then the block.
    bool socketPathAffordable = true;
    if (size >= 8 + 16) {
        const auto afterStatus = input.subspan(8);
        const size_t headerSize = nimbo::FramebufferHeaderSize(FirstWord(afterStatus));
        if (afterStatus.size() >= headerSize) {
            const auto header = nimbo::DecodeFramebufferHeader(afterStatus.first(headerSize));
            if (header) {
                NIMBO_FUZZ_CHECK(header->width > 0 && header->height > 0);
                NIMBO_FUZZ_CHECK(header->size <= nimbo::kMaxFramebufferBytes);
                socketPathAffordable = header->size <= kLargestSocketBlock;
                const auto rest = afterStatus.subspan(headerSize);
                if (rest.size() >= header->size) {
                    FramebufferCapture cap;
                    nimbo::StoreFramebufferPixels(
                        *header, std::vector<uint8_t>(rest.begin(), rest.begin() + header->size),
                        cap);
                    CheckPixels(*header, cap);
                }
            }
        }
    }
    if (!socketPathAffordable) return 0;

    peer.SetAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    nimbo::AdbEndpoint endpoint;
    endpoint.port = peer.port();
    endpoint.timeouts = nimbo::kCaptureTimeouts;
    const FramebufferCapture cap = nimbo::CaptureFramebuffer("emulator-5554", endpoint);
    NIMBO_FUZZ_CHECK(cap.code != CaptureResult::NoDevice && cap.code != CaptureResult::ImageEmpty);
    if (cap.code == CaptureResult::Done) {
        NIMBO_FUZZ_CHECK(cap.header.has_value());
        CheckPixels(*cap.header, cap);
    } else {
        NIMBO_FUZZ_CHECK(cap.pixels.empty());
    }
    return 0;
}
