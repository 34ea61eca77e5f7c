#pragma once
// The individual encoders behind SaveImageToFile; each writes to an open stream
// and reports whether everything reached it.
#include <cstdio>

#include "imaging/bitmap.h"

namespace nimbo::imaging::encoders {

Result<Saved, SaveError> WriteBmp(const Bitmap& image, std::FILE* out);
Result<Saved, SaveError> WriteJpeg(const Bitmap& image, std::FILE* out, int quality);
Result<Saved, SaveError> WritePng(const Bitmap& image, std::FILE* out);
Result<Saved, SaveError> WriteGif(const Bitmap& image, std::FILE* out);

// The picture's property items as an EXIF APP1 payload ("Exif\0\0", then a
// little-endian TIFF header and one directory); empty when there is nothing to write.
std::vector<std::uint8_t> BuildExifSegment(const std::vector<PropertyItem>& items);

}  // namespace nimbo::imaging::encoders
