#include "icons/icons.h"

#include <algorithm>

#include "icons/icon_sizes.h"
#include "icons/pictures_data.h"

namespace nimbo::resources {
namespace {

imaging::Canvas CanvasOf(int id) {
    const pictures::Picture* end = pictures::kPictures + pictures::kPictureCount;
    const pictures::Picture* picture = std::find_if(
        pictures::kPictures, end, [id](const pictures::Picture& p) { return p.id == id; });
    if (picture == end) {
        return {};
    }
    imaging::Canvas canvas(picture->width, picture->height, imaging::Canvas::kTransparent);
    std::copy_n(picture->pixels, static_cast<std::size_t>(picture->width) * picture->height,
                canvas.Bits());
    return canvas;
}

}  // namespace

imaging::Size IconSize(int id) {
    for (const IconSizeEntry& entry : kIconSizes) {
        if (entry.id == id) {
            return {entry.width, entry.height};
        }
    }
    return {};
}

imaging::Canvas LoadIcon(int id) {
    // The id table decides what is an icon: the banner's pixels sit in the same data.
    if (IconSize(id) == imaging::Size{}) {
        return {};
    }
    return CanvasOf(id);
}

imaging::Canvas LoadBannerBitmap() {
    return CanvasOf(kBannerId);
}

}  // namespace nimbo::resources
