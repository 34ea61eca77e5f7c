// GIF through giflib: an indexed picture goes out with its own palette; any
// other picture gets a fixed 3-3-2 colour cube.
#include <gif_lib.h>

#include <memory>

#include "imaging/encoders.h"

namespace nimbo::imaging::encoders {
namespace {

int WriteToFile(GifFileType* gif, const GifByteType* data, int length) {
    return static_cast<int>(std::fwrite(data, 1, length, static_cast<std::FILE*>(gif->UserData)));
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

std::uint8_t CubeIndex(const std::uint8_t* bgr) {
    return static_cast<std::uint8_t>((bgr[2] & 0xE0) | ((bgr[1] & 0xE0) >> 3) | (bgr[0] >> 6));
}

std::vector<Argb> CubePalette() {
    std::vector<Argb> palette(256);
    for (unsigned i = 0; i < 256; ++i) {
        const unsigned r = i >> 5, g = (i >> 2) & 7, b = i & 3;
        palette[i] = MakeArgb(255, static_cast<std::uint8_t>(r * 255 / 7),
                              static_cast<std::uint8_t>(g * 255 / 7),
                              static_cast<std::uint8_t>(b * 255 / 3));
    }
    return palette;
}

}  // namespace

Result<Saved, SaveError> WriteGif(const Bitmap& image, std::FILE* out) {
    if (image.Width() > 0xFFFF || image.Height() > 0xFFFF) return Err{SaveError::TooLarge};
    const bool indexed = image.Format() == PixelFormat::Indexed8 && !image.Palette().empty() &&
                         image.Palette().size() <= 256;
    const std::vector<Argb> palette = indexed ? image.Palette() : CubePalette();

    // The colour table holds a power of two entries, at least two.
    int bits = 1;
    while ((1u << bits) < palette.size()) ++bits;
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map) return Err{SaveError::WriteFailed};
    for (int i = 0; i < map->ColorCount; ++i) {
        const Argb c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        map->Colors[i] = {static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                          static_cast<GifByteType>(c)};
    }

    int error = 0;
    GifFileType* gif = EGifOpen(out, WriteToFile, &error);
    if (!gif) return Err{SaveError::WriteFailed};
    bool ok = EGifPutScreenDesc(gif, image.Width(), image.Height(), bits, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.Width(), image.Height(), false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<std::size_t>(image.Width()));
    std::vector<std::uint8_t> bgr(indexed ? 0 : static_cast<std::size_t>(image.Width()) * 3);
    const auto lastIndex = static_cast<GifPixelType>((1 << bits) - 1);
    for (int y = 0; ok && y < image.Height(); ++y) {
        const std::uint8_t* in = image.Row(y);
        if (indexed) {
            // giflib refuses a line with an index outside the colour table.
            for (int x = 0; x < image.Width(); ++x) line[x] = std::min(in[x], lastIndex);
        } else {
            RowToBgr(image, y, bgr.data());
            for (int x = 0; x < image.Width(); ++x) line[x] = CubeIndex(&bgr[3 * x]);
        }
        ok = EGifPutLine(gif, line.data(), image.Width()) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) return Err{SaveError::WriteFailed};
    return Saved{};
}

}  // namespace nimbo::imaging::encoders
