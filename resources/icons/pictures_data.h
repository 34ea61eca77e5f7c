#pragma once
// The rendered pictures, as the build writes them into pictures_data.cpp (see
// tools/pictures): one entry per icon and one for the banner, pixels row by row,
// premultiplied 0xAARRGGBB like imaging::Canvas.
#include <cstddef>
#include <cstdint>

namespace nimbo::resources::pictures {

struct Picture {
    int id;
    int width;
    int height;
    const std::uint32_t* pixels;  // width * height values
};

extern const Picture kPictures[];
extern const std::size_t kPictureCount;

}  // namespace nimbo::resources::pictures
