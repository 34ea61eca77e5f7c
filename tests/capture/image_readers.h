#pragma once
// Reading saved pictures back with the libraries' own decoders (and a small BMP
// reader of our own), for tests that check what reached the disk.
#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace nimbo::test {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;                // red, green, blue per pixel
    int paletteSize = 0;                          // PNG and GIF colour tables, BMP palettes
    int bitsPerPixel = 0;                         // BMP only
    std::vector<std::vector<std::uint8_t>> app1;  // JPEG APP1 segment payloads
    std::uint8_t R(int x, int y) const {
        return rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
    std::uint8_t G(int x, int y) const {
        return rgb[(static_cast<std::size_t>(y) * width + x) * 3 + 1];
    }
    std::uint8_t B(int x, int y) const {
        return rgb[(static_cast<std::size_t>(y) * width + x) * 3 + 2];
    }
};

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace detail {
struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};
inline void JpegFail(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->jump, 1);
}
}  // namespace detail

inline std::optional<Decoded> ReadJpeg(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    Decoded d;
    jpeg_decompress_struct cinfo;
    detail::JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = detail::JpegFail;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        return std::nullopt;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    for (auto* m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) d.app1.emplace_back(m->data, m->data + m->data_length);
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    d.width = static_cast<int>(cinfo.output_width);
    d.height = static_cast<int>(cinfo.output_height);
    d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &d.rgb[static_cast<std::size_t>(cinfo.output_scanline) * d.width * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return d;
}

inline std::optional<Decoded> ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    Decoded d;
    d.width = static_cast<int>(image.width);
    d.height = static_cast<int>(image.height);
    d.paletteSize = (image.format & PNG_FORMAT_FLAG_COLORMAP) ? image.colormap_entries : 0;
    image.format = PNG_FORMAT_RGB;
    d.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, d.rgb.data(), 0, nullptr)) return std::nullopt;
    return d;
}

inline std::optional<Decoded> ReadGif(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    Decoded d;
    d.width = gif->SWidth;
    d.height = gif->SHeight;
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* map =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    d.paletteSize = map ? map->ColorCount : 0;
    d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
    for (int i = 0; map && i < frame.ImageDesc.Width * frame.ImageDesc.Height; ++i) {
        const GifColorType c = map->Colors[frame.RasterBits[i]];
        d.rgb[3 * i] = c.Red;
        d.rgb[3 * i + 1] = c.Green;
        d.rgb[3 * i + 2] = c.Blue;
    }
    DGifCloseFile(gif, &error);
    return d;
}

// Uncompressed 8- and 24-bit bottom-up BMP files, as our writer makes them.
inline std::optional<Decoded> ReadBmp(const std::string& path) {
    const auto bytes = FileBytes(path);
    auto u16 = [&](std::size_t o) { return bytes[o] | (bytes[o + 1] << 8); };
    auto u32 = [&](std::size_t o) {
        return std::uint32_t(u16(o)) | (std::uint32_t(u16(o + 2)) << 16);
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    if (u32(2) != bytes.size() || u32(14) != 40 || u32(30) != 0) return std::nullopt;
    Decoded d;
    d.width = static_cast<int>(u32(18));
    d.height = static_cast<int>(u32(22));
    d.bitsPerPixel = u16(28);
    d.paletteSize = static_cast<int>(u32(46));
    const std::size_t offset = u32(10);
    const std::size_t stride = ((d.width * d.bitsPerPixel / 8) + 3) & ~std::size_t{3};
    if (offset + stride * d.height != bytes.size()) return std::nullopt;
    d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
    for (int y = 0; y < d.height; ++y) {
        const std::uint8_t* row = &bytes[offset + stride * (d.height - 1 - y)];
        for (int x = 0; x < d.width; ++x) {
            const std::uint8_t* bgr = d.bitsPerPixel == 8 ? &bytes[54 + 4 * row[x]] : &row[3 * x];
            std::uint8_t* out = &d.rgb[(static_cast<std::size_t>(y) * d.width + x) * 3];
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return d;
}

// The ASCII value of one tag in an EXIF APP1 payload ("Exif\0\0" + little- or
// big-endian TIFF), from the first directory.
inline std::optional<std::string> ExifAscii(const std::vector<std::uint8_t>& app1,
                                            std::uint16_t wanted) {
    if (app1.size() < 14 ||
        std::string(app1.begin(), app1.begin() + 6) != std::string("Exif\0\0", 6)) {
        return std::nullopt;
    }
    const std::uint8_t* t = app1.data() + 6;
    const std::size_t size = app1.size() - 6;
    const bool little = t[0] == 'I';
    auto u16 = [&](std::size_t o) -> std::uint32_t {
        return little ? t[o] | (t[o + 1] << 8) : (t[o] << 8) | t[o + 1];
    };
    auto u32 = [&](std::size_t o) -> std::uint32_t {
        return little ? u16(o) | (u16(o + 2) << 16) : (u16(o) << 16) | u16(o + 2);
    };
    if (u16(2) != 42) return std::nullopt;
    const std::size_t dir = u32(4);
    if (dir + 2 > size) return std::nullopt;
    const std::uint32_t entries = u16(dir);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t e = dir + 2 + 12 * i;
        if (e + 12 > size) return std::nullopt;
        if (u16(e) != wanted || u16(e + 2) != 2) continue;
        const std::uint32_t count = u32(e + 4);
        const std::size_t at = count <= 4 ? e + 8 : u32(e + 8);
        if (at + count > size) return std::nullopt;
        std::string text(reinterpret_cast<const char*>(t + at), count);
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    return std::nullopt;
}

}  // namespace nimbo::test
