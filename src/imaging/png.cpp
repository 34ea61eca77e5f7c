// PNG through libpng: 24-bit colour, or the palette of an indexed picture.
#include <png.h>

#include <csetjmp>

#include "imaging/encoders.h"

namespace nimbo::imaging::encoders {
namespace {

void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

struct Plan {
    bool indexed = false;
    bool direct = false;
    std::vector<std::uint8_t> row;
    std::vector<png_color> palette;
};

// Everything that libpng may leave by its long jump, kept apart from the locals
// of the function that set the jump.
void Encode(png_structp png, png_infop info, const Bitmap& image, Plan& plan, std::FILE* out) {
    png_init_io(png, out);
    // Screenshots are mostly flat areas and text: the cheapest zlib level with the
    // Sub filter packs them nearly as tight as the default at a fraction of the time.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, plan.indexed ? PNG_FILTER_NONE : PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
                 static_cast<png_uint_32>(image.Height()), 8,
                 plan.indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (plan.indexed) {
        png_set_PLTE(png, info, plan.palette.data(), static_cast<int>(plan.palette.size()));
    }
    png_write_info(png, info);
    if (!plan.indexed) png_set_bgr(png);
    for (int y = 0; y < image.Height(); ++y) {
        png_bytep line;
        if (plan.direct) {
            line = const_cast<png_bytep>(image.Row(y));
        } else {
            RowToBgr(image, y, plan.row.data());
            line = plan.row.data();
        }
        png_write_row(png, line);
    }
    png_write_end(png, info);
}

}  // namespace

Result<Saved, SaveError> WritePng(const Bitmap& image, std::FILE* out) {
    Plan plan;
    plan.indexed = image.Format() == PixelFormat::Indexed8 && !image.Palette().empty() &&
                   image.Palette().size() <= 256;
    plan.direct = plan.indexed || image.Format() == PixelFormat::Rgb24;
    if (!plan.direct) plan.row.resize(static_cast<std::size_t>(image.Width()) * 3);
    if (plan.indexed) {
        for (Argb c : image.Palette()) {
            plan.palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                    static_cast<png_byte>(c)});
        }
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return Err{SaveError::WriteFailed};
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return Err{SaveError::WriteFailed};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Err{SaveError::WriteFailed};
    }
    Encode(png, info, image, plan, out);
    png_destroy_write_struct(&png, &info);
    return Saved{};
}

}  // namespace nimbo::imaging::encoders
