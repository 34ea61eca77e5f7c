#include "capture/gui/capture_picture_area.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace nimbo {
namespace {

using imaging::Bitmap;
using imaging::Canvas;
using imaging::PixelFormat;

// Every RGB565 word as an opaque 32-bit pixel, built once.
const std::array<uint32_t, 65536>& Rgb565Table() {
    static const auto table = [] {
        std::array<uint32_t, 65536> t{};
        for (unsigned v = 0; v < t.size(); ++v) {
            t[v] = Canvas::ToPixel({imaging::Widen5(v >> 11), imaging::Widen6((v >> 5) & 0x3F),
                                    imaging::Widen5(v & 0x1F)});
        }
        return t;
    }();
    return table;
}

bool HoldsPicture(const FramebufferCapture& capture) {
    if (capture.code != CaptureResult::Done || !capture.header) return false;
    const FramebufferHeader& h = *capture.header;
    if (h.width == 0 || h.height == 0) return false;
    const size_t pixelBytes = capture.format == FramebufferPixels::Rgb565 ? 2 : 3;
    const size_t rowBytes = size_t{h.width} * pixelBytes;
    return capture.stride >= rowBytes &&
           capture.pixels.size() >= capture.stride * (h.height - 1) + rowBytes;
}

}  // namespace

bool CopyCaptureInto(const FramebufferCapture& capture, Bitmap& image) {
    if (!HoldsPicture(capture)) return false;
    const int width = static_cast<int>(capture.header->width);
    const int height = static_cast<int>(capture.header->height);
    const PixelFormat format =
        capture.format == FramebufferPixels::Rgb565 ? PixelFormat::Rgb565 : PixelFormat::Rgb24;
    if (image.Width() != width || image.Height() != height || image.Format() != format) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = capture.pixels.data() + static_cast<size_t>(y) * capture.stride;
        uint8_t* out = image.Row(y);
        if (format == PixelFormat::Rgb565) {
            std::memcpy(out, in, static_cast<size_t>(width) * 2);
            continue;
        }
        // The capture hands over red, green, blue; the bitmap keeps blue first.
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return true;
}

std::optional<Bitmap> BuildCapturedImage(const FramebufferCapture& capture) {
    if (!HoldsPicture(capture)) return std::nullopt;
    auto image = Bitmap::CreateForOverwrite(
        static_cast<int>(capture.header->width), static_cast<int>(capture.header->height),
        capture.format == FramebufferPixels::Rgb565 ? PixelFormat::Rgb565 : PixelFormat::Rgb24);
    if (!image || !CopyCaptureInto(capture, *image)) return std::nullopt;
    return image;
}

Canvas DrawCapture(const FramebufferCapture& capture, imaging::Size visible) {
    if (!HoldsPicture(capture)) return {};
    // Only what the area can show is drawn: the rest of a large screen would
    // never be seen, and a full-size conversion would slow every refresh.
    const int width = std::min<int64_t>(capture.header->width, std::max(visible.width, 0));
    const int height = std::min<int64_t>(capture.header->height, std::max(visible.height, 0));
    if (width <= 0 || height <= 0) return {};
    Canvas drawing(width, height);
    const auto& table = Rgb565Table();
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = capture.pixels.data() + static_cast<size_t>(y) * capture.stride;
        uint32_t* out = drawing.Bits() + static_cast<size_t>(y) * width;
        if (capture.format == FramebufferPixels::Rgb565) {
            for (int x = 0; x < width; ++x, in += 2) out[x] = table[in[0] | (in[1] << 8)];
        } else {
            for (int x = 0; x < width; ++x, in += 3) {
                out[x] = Canvas::ToPixel({in[0], in[1], in[2]});
            }
        }
    }
    return drawing;
}

std::string ScaleReadout(uint32_t height) {
    double ratio = 0;
    if (height == 854) {
        ratio = 0.56;
    } else if (height == 800) {
        ratio = 0.6;
    } else {
        ratio = static_cast<double>(height / 480);
    }
    // Heights are bounded by the largest block a capture accepts, but the
    // conversion must not be undefined for any header.
    const double percent = std::min(ratio * 100, 2147483647.0);
    char text[32];
    std::snprintf(text, sizeof text, "%d %%", static_cast<int>(percent));
    return text;
}

void CapturePictureArea::ShowDrawing(Canvas drawing) {
    drawing_ = std::move(drawing);
    drawingChanged_ = true;
    if (Host()) Host()->RepaintNow();
}

void CapturePictureArea::Paint(Canvas& surface) {
    // A new drawing starts from the window's face: where it does not reach,
    // the area shows the dialog's background, as an empty static does, and
    // nothing of a larger earlier drawing.
    drawingChanged_ = false;
    surface.BlockCopy({0, 0, drawing_.Width(), drawing_.Height()}, drawing_, {0, 0});
}

}  // namespace nimbo
