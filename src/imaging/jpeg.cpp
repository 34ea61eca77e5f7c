// JPEG through libjpeg-turbo, with the picture's property items as an EXIF
// APP1 segment right after the start of the image.
#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include "imaging/encoders.h"

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace nimbo::imaging::encoders {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr) {}

int TypeSize(std::uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:
            return 1;
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 0;
    }
}

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// The most an APP1 segment can carry after its length word.
constexpr std::size_t kMaxSegment = 65533;

}  // namespace

std::vector<std::uint8_t> BuildExifSegment(const std::vector<PropertyItem>& items) {
    // Directory entries must be sorted by tag; items of unknown type or with a
    // length that is not a whole number of values are left out.
    std::vector<const PropertyItem*> kept;
    for (const auto& item : items) {
        const int size = TypeSize(item.type);
        if (size == 0 || item.value.empty() || item.value.size() % size != 0) continue;
        kept.push_back(&item);
    }
    if (kept.empty()) return {};
    std::sort(kept.begin(), kept.end(),
              [](const PropertyItem* a, const PropertyItem* b) { return a->tag < b->tag; });

    std::vector<std::uint8_t> tiff = {'I', 'I', 42, 0};
    Put32(tiff, 8);  // the directory follows the header
    Put16(tiff, static_cast<std::uint32_t>(kept.size()));
    std::uint32_t dataOffset = 8 + 2 + 12 * static_cast<std::uint32_t>(kept.size()) + 4;
    std::vector<std::uint8_t> data;
    for (const PropertyItem* item : kept) {
        Put16(tiff, item->tag);
        Put16(tiff, item->type);
        Put32(tiff, static_cast<std::uint32_t>(item->value.size() / TypeSize(item->type)));
        if (item->value.size() <= 4) {
            std::uint8_t inlineValue[4] = {0, 0, 0, 0};
            std::copy(item->value.begin(), item->value.end(), inlineValue);
            tiff.insert(tiff.end(), inlineValue, inlineValue + 4);
        } else {
            Put32(tiff, dataOffset + static_cast<std::uint32_t>(data.size()));
            data.insert(data.end(), item->value.begin(), item->value.end());
            if (data.size() % 2) data.push_back(0);  // values start on word boundaries
        }
    }
    Put32(tiff, 0);  // no further directory
    tiff.insert(tiff.end(), data.begin(), data.end());

    std::vector<std::uint8_t> segment = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

Result<Saved, SaveError> WriteJpeg(const Bitmap& image, std::FILE* out, int quality) {
    const std::vector<std::uint8_t> exif = BuildExifSegment(image.PropertyItems());
    if (exif.size() > kMaxSegment) return Err{SaveError::InvalidParameter};
    if (image.Width() > JPEG_MAX_DIMENSION || image.Height() > JPEG_MAX_DIMENSION) {
        return Err{SaveError::TooLarge};
    }
    const bool direct = image.Format() == PixelFormat::Rgb24;
    std::vector<std::uint8_t> row(direct ? 0 : static_cast<std::size_t>(image.Width()) * 3);

    jpeg_compress_struct cinfo;
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.output_message = OnMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return Err{SaveError::WriteFailed};
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(image.Width());
    cinfo.image_height = static_cast<JDIMENSION>(image.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // An EXIF file starts with its APP1 segment, not with a JFIF one.
    if (!exif.empty()) cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    if (!exif.empty()) {
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        JSAMPROW line;
        if (direct) {
            line = const_cast<JSAMPROW>(image.Row(y));
        } else {
            RowToBgr(image, y, row.data());
            line = row.data();
        }
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return Saved{};
}

}  // namespace nimbo::imaging::encoders
