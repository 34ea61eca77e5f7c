#pragma once
// The program's pictures, drawn by us: icons by resource id at their own size, and the
// banner bitmap. They are rendered when the program is built (tools/pictures), so every
// build of one source tree on one machine carries the same pixels, with or without Qt.
#include "imaging/canvas.h"

namespace nimbo::resources {

// Icon ids: 128, 131-137, 144, 148-155. An empty canvas (0 x 0) for an unknown id.
imaging::Canvas LoadIcon(int id);
// The icon's own size in pixels (e.g. 15 x 15 for 148); 0 x 0 for an unknown id.
imaging::Size IconSize(int id);
// The banner bitmap 129 (678 x 84), opaque.
imaging::Canvas LoadBannerBitmap();

}  // namespace nimbo::resources
