#pragma once
// Canvas pictures (icons, the banner) as Qt images, for the widgets that show them.
#include <QImage>
#include <QPixmap>

#include "imaging/canvas.h"

namespace nimbo::ui {

// A deep copy in Format_ARGB32_Premultiplied, whose 32-bit words are the canvas's own
// premultiplied 0xAARRGGBB; a null image for an empty canvas.
QImage ToQImage(const imaging::Canvas& canvas);
// The same as a pixmap; a null pixmap for an empty canvas.
QPixmap ToQPixmap(const imaging::Canvas& canvas);

}  // namespace nimbo::ui
