#pragma once
// Rendering of the program's SVG sources (resources/icons/svg) into pixels.
#include <QImage>
#include <QSize>
#include <QString>

namespace nimbo::render {

// Renders the SVG file at `path` into a transparent, antialiased image of exactly `size`
// pixels (premultiplied ARGB). A null image if the file is missing or does not parse.
QImage RenderSvgImage(const QString& path, QSize size);

}  // namespace nimbo::render
