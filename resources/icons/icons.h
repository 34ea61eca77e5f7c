#pragma once
// The program's pictures, drawn by us: icons by resource id at their own size,
// and the banner bitmap 129 (678 x 84).
#include <QImage>
#include <QPixmap>

namespace nimbo::resources {

// Icon ids: 128, 131-137, 144, 148-155. A null pixmap for an unknown id.
QPixmap LoadIconPixmap(int id);
// The icon's own size in pixels (e.g. 15 x 15 for 148); empty for an unknown id.
QSize IconSize(int id);
QImage LoadBannerBitmap();

}  // namespace nimbo::resources
