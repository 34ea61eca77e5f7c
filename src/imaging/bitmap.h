#pragma once
// Pictures in memory and their encoders: the stand-in for the image library the
// screenshot window draws and saves with. Pixels are kept top row first, rows
// packed to a 4-byte stride. 24-bit pixels are stored blue, green, red, the order
// the quantiser and the BMP writer read them in.
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/result.h"

namespace nimbo::imaging {

enum class PixelFormat {
    Rgb565,    // 16-bit words, little-endian: red 15..11, green 10..5, blue 4..0
    Rgb24,     // blue, green, red bytes
    Indexed8,  // one palette index per byte
};

int BytesPerPixel(PixelFormat format);

// One ARGB colour, alpha in the top byte.
using Argb = std::uint32_t;
constexpr Argb MakeArgb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (Argb{a} << 24) | (Argb{r} << 16) | (Argb{g} << 8) | Argb{b};
}

// Metadata carried with a picture and written by encoders that can hold it.
// Values are raw little-endian bytes, as in a TIFF directory entry.
struct PropertyItem {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::vector<std::uint8_t> value;
};
constexpr std::uint16_t kPropertyTagEquipModel = 0x0110;
constexpr std::uint16_t kPropertyTagTypeAscii = 2;

// Widening of the 5- and 6-bit channels: the high bits are repeated into the low
// bits, so 0 stays 0 and full intensity becomes 255.
constexpr std::uint8_t Widen5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}
constexpr std::uint8_t Widen6(unsigned v) {
    return static_cast<std::uint8_t>((v << 2) | (v >> 4));
}

class Bitmap {
public:
    // A zero-filled picture; nothing for a non-positive or unreasonably large size.
    static std::optional<Bitmap> Create(int width, int height, PixelFormat format);
    // A picture that owns a copy of `source` (rows of `sourceStride` bytes).
    static std::optional<Bitmap> FromPixels(int width, int height, PixelFormat format,
                                            std::span<const std::uint8_t> source, int sourceStride);

    int Width() const { return width_; }
    int Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    int Stride() const { return stride_; }
    std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* Row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * stride_;
    }

    // Only meaningful for Indexed8; at most 256 entries.
    const std::vector<Argb>& Palette() const { return palette_; }
    void SetPalette(std::vector<Argb> palette) { palette_ = std::move(palette); }

    // Replaces an item with the same tag, else appends.
    void SetPropertyItem(PropertyItem item);
    const std::vector<PropertyItem>& PropertyItems() const { return properties_; }

    // An independent copy of the area, same pixel format and palette; nothing when
    // the area is empty or reaches outside the picture.
    std::optional<Bitmap> CloneArea(int x, int y, int width, int height) const;
    // The picture in 24-bit colour (a plain copy when it already is).
    std::optional<Bitmap> ToRgb24() const;
    // The picture resampled to exactly width x height in 24-bit colour; nothing for
    // a non-positive or unreasonably large size.
    std::optional<Bitmap> Thumbnail(int width, int height) const;

    // As Create, but the pixels are left as the allocator gives them (the row
    // padding alone is zeroed), for pictures that are about to be written whole.
    static std::optional<Bitmap> CreateForOverwrite(int width, int height, PixelFormat format);

private:
    Bitmap(int width, int height, PixelFormat format);

    // Value-initialising a byte vector writes every byte once before the real
    // pixels do; screenshots are large enough for that to show.
    template <typename T>
    struct NoInitAllocator : std::allocator<T> {
        template <typename U>
        struct rebind {
            using other = NoInitAllocator<U>;
        };
        NoInitAllocator() = default;
        template <typename U>
        NoInitAllocator(const NoInitAllocator<U>&) {}
        template <typename U>
        void construct(U* p) {
            ::new (static_cast<void*>(p)) U;
        }
        template <typename U, typename... Args>
        void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };

    int width_ = 0;
    int height_ = 0;
    PixelFormat format_ = PixelFormat::Rgb24;
    int stride_ = 0;
    std::vector<std::uint8_t, NoInitAllocator<std::uint8_t>> pixels_;
    std::vector<Argb> palette_;
    std::vector<PropertyItem> properties_;
};

// Converts one row of `width` pixels of `format` into blue, green, red bytes.
void RowToBgr(const Bitmap& source, int y, std::uint8_t* out);

// ---- encoders --------------------------------------------------------------

enum class EncoderId { Bmp = 1, Jpeg, Png, Gif };

struct ImageCodecInfo {
    EncoderId classId;
    std::string formatDescription;  // "JPEG"
    std::string filenameExtension;  // "*.JPG;*.JPEG;*.JPE;*.JFIF"
    std::string mimeType;           // "image/jpeg"
};

// The installed encoders, in a fixed order: BMP, JPEG, GIF, PNG.
const std::vector<ImageCodecInfo>& ImageEncoders();

// The quality parameter (0 to 100), read by the JPEG encoder, ignored by others.
inline constexpr std::string_view kEncoderQuality = "1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB";
enum class EncoderParameterValueType { Byte = 1, Ascii = 2, Short = 3, Long = 4 };
struct EncoderParameter {
    std::string guid;
    EncoderParameterValueType type = EncoderParameterValueType::Long;
    std::vector<std::int64_t> values;
};
using EncoderParameters = std::vector<EncoderParameter>;

enum class SaveError {
    InvalidParameter,  // a parameter the encoder reads is malformed or out of range
    TooLarge,          // the picture does not fit the format
    OpenFailed,        // the file could not be created
    WriteFailed,       // the encoder or the disk failed part-way; no file is left
};
std::string_view SaveErrorText(SaveError error);

struct Saved {};
// Writes `image` to `path` with the encoder. A failure leaves no partial file.
Result<Saved, SaveError> SaveImageToFile(const Bitmap& image, const std::string& path,
                                         EncoderId encoder, const EncoderParameters& parameters);

}  // namespace nimbo::imaging
