// Our own BMP writer: a file header, an info header, the palette of an indexed
// picture, then the rows bottom-up, each padded to four bytes.
#include <cstring>

#include "imaging/encoders.h"

namespace nimbo::imaging::encoders {
namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

}  // namespace

Result<Saved, SaveError> WriteBmp(const Bitmap& image, std::FILE* out) {
    // An indexed picture keeps its palette; everything else is written as 24-bit.
    const bool indexed = image.Format() == PixelFormat::Indexed8 && !image.Palette().empty();
    const int bits = indexed ? 8 : 24;
    const std::uint32_t colours = indexed ? static_cast<std::uint32_t>(image.Palette().size()) : 0;
    const std::uint32_t stride = ((image.Width() * bits / 8) + 3) & ~3u;
    const std::uint32_t headerBytes = 14 + 40 + colours * 4;
    const std::uint64_t fileBytes = headerBytes + std::uint64_t{stride} * image.Height();
    if (fileBytes > 0xFFFFFFFFu) return Err{SaveError::TooLarge};

    std::vector<std::uint8_t> header(headerBytes, 0);
    std::uint8_t* h = header.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, static_cast<std::uint32_t>(fileBytes));
    Put32(h + 10, headerBytes);
    Put32(h + 14, 40);
    Put32(h + 18, static_cast<std::uint32_t>(image.Width()));
    Put32(h + 22, static_cast<std::uint32_t>(image.Height()));  // positive: bottom-up
    Put16(h + 26, 1);
    Put16(h + 28, bits);
    Put32(h + 30, 0);  // no compression
    Put32(h + 34, static_cast<std::uint32_t>(stride * image.Height()));
    Put32(h + 38, 3780);  // 96 dots per inch
    Put32(h + 42, 3780);
    Put32(h + 46, colours);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const Argb c = image.Palette()[i];
        std::uint8_t* e = h + 54 + i * 4;
        e[0] = static_cast<std::uint8_t>(c);
        e[1] = static_cast<std::uint8_t>(c >> 8);
        e[2] = static_cast<std::uint8_t>(c >> 16);
    }
    if (std::fwrite(header.data(), 1, header.size(), out) != header.size()) {
        return Err{SaveError::WriteFailed};
    }

    // Our own rows already have the four-byte stride and zero padding, so a picture
    // in the file's own layout goes out row by row without conversion.
    const bool direct = indexed || image.Format() == PixelFormat::Rgb24;
    std::vector<std::uint8_t> row(direct ? 0 : stride, 0);
    for (int y = image.Height() - 1; y >= 0; --y) {
        const std::uint8_t* data = image.Row(y);
        if (!direct) {
            RowToBgr(image, y, row.data());
            data = row.data();
        }
        if (std::fwrite(data, 1, stride, out) != stride) return Err{SaveError::WriteFailed};
    }
    return Saved{};
}

}  // namespace nimbo::imaging::encoders
