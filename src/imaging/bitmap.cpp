// Pictures in memory: creation, copies, conversion to 24-bit colour.
#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/bitmap.h"

namespace nimbo::imaging {
namespace {

// A phone screen is a few thousand pixels a side; anything far beyond is a
// corrupt size, refused before it turns into a huge allocation.
constexpr int kMaxSide = 1 << 16;
constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

int StrideOf(int width, PixelFormat format) {
    return ((width * BytesPerPixel(format)) + 3) & ~3;
}

bool SizeAcceptable(int width, int height, PixelFormat format) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    return static_cast<std::size_t>(StrideOf(width, format)) * static_cast<std::size_t>(height) <=
           kMaxBytes;
}

}  // namespace

int BytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Rgb565:
            return 2;
        case PixelFormat::Rgb24:
            return 3;
        case PixelFormat::Indexed8:
            return 1;
    }
    return 3;
}

Bitmap::Bitmap(int width, int height, PixelFormat format)
    : width_(width),
      height_(height),
      format_(format),
      stride_(StrideOf(width, format)),
      pixels_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height)) {}

std::optional<Bitmap> Bitmap::CreateForOverwrite(int width, int height, PixelFormat format) {
    if (!SizeAcceptable(width, height, format)) return std::nullopt;
    try {
        Bitmap bitmap(width, height, format);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * BytesPerPixel(format);
        if (rowBytes != static_cast<std::size_t>(bitmap.stride_)) {
            for (int y = 0; y < height; ++y) {
                std::memset(bitmap.Row(y) + rowBytes, 0, bitmap.stride_ - rowBytes);
            }
        }
        return bitmap;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<Bitmap> Bitmap::Create(int width, int height, PixelFormat format) {
    auto bitmap = CreateForOverwrite(width, height, format);
    if (bitmap) std::memset(bitmap->pixels_.data(), 0, bitmap->pixels_.size());
    return bitmap;
}

std::optional<Bitmap> Bitmap::FromPixels(int width, int height, PixelFormat format,
                                         std::span<const std::uint8_t> source, int sourceStride) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * BytesPerPixel(format);
    if (width <= 0 || height <= 0 || sourceStride < 0 ||
        static_cast<std::size_t>(sourceStride) < rowBytes) {
        return std::nullopt;
    }
    // The last row need not carry its padding.
    const std::size_t needed = static_cast<std::size_t>(sourceStride) * (height - 1) + rowBytes;
    if (source.size() < needed) return std::nullopt;
    auto bitmap = CreateForOverwrite(width, height, format);
    if (!bitmap) return std::nullopt;
    for (int y = 0; y < height; ++y) {
        std::memcpy(bitmap->Row(y), source.data() + static_cast<std::size_t>(y) * sourceStride,
                    rowBytes);
    }
    return bitmap;
}

void Bitmap::SetPropertyItem(PropertyItem item) {
    for (auto& existing : properties_) {
        if (existing.tag == item.tag) {
            existing = std::move(item);
            return;
        }
    }
    properties_.push_back(std::move(item));
}

std::optional<Bitmap> Bitmap::CloneArea(int x, int y, int width, int height) const {
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x > width_ - width || y > height_ - height) {
        return std::nullopt;
    }
    auto copy = CreateForOverwrite(width, height, format_);
    if (!copy) return std::nullopt;
    const int bpp = BytesPerPixel(format_);
    for (int row = 0; row < height; ++row) {
        std::memcpy(copy->Row(row), Row(y + row) + static_cast<std::size_t>(x) * bpp,
                    static_cast<std::size_t>(width) * bpp);
    }
    copy->palette_ = palette_;
    copy->properties_ = properties_;
    return copy;
}

void RowToBgr(const Bitmap& source, int y, std::uint8_t* out) {
    const std::uint8_t* in = source.Row(y);
    const int width = source.Width();
    switch (source.Format()) {
        case PixelFormat::Rgb24:
            std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
            return;
        case PixelFormat::Rgb565:
            for (int x = 0; x < width; ++x) {
                const unsigned w = in[2 * x] | (in[2 * x + 1] << 8);
                out[3 * x] = Widen5(w & 0x1F);
                out[3 * x + 1] = Widen6((w >> 5) & 0x3F);
                out[3 * x + 2] = Widen5(w >> 11);
            }
            return;
        case PixelFormat::Indexed8: {
            const auto& palette = source.Palette();
            for (int x = 0; x < width; ++x) {
                // An index past the palette reads as black rather than past the table.
                const Argb c = in[x] < palette.size() ? palette[in[x]] : MakeArgb(255, 0, 0, 0);
                out[3 * x] = static_cast<std::uint8_t>(c);
                out[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                out[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
            }
            return;
        }
    }
}

std::optional<Bitmap> Bitmap::ToRgb24() const {
    auto out = CreateForOverwrite(width_, height_, PixelFormat::Rgb24);
    if (!out) return std::nullopt;
    for (int y = 0; y < height_; ++y) RowToBgr(*this, y, out->Row(y));
    out->properties_ = properties_;
    return out;
}

}  // namespace nimbo::imaging
