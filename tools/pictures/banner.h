#pragma once
// The banner across the top of the main window (bitmap 129).
#include <QImage>
#include <QString>

namespace nimbo::render {

// Paints the banner, kBannerWidth x kBannerHeight and opaque, with the makers' emblems read
// from `svgDir`. A null image if an emblem cannot be rendered.
QImage PaintBanner(const QString& svgDir);

}  // namespace nimbo::render
