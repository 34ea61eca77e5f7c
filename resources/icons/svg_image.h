#pragma once
// Rendering of the SVG sources compiled into the program's resources.
#include <QImage>
#include <QSize>
#include <QString>

namespace nimbo::resources {

// Renders the SVG resource `name` (a file name under svg/, e.g. "icon_128.svg") into a
// transparent, antialiased image of exactly `size` pixels. A null image if the resource is
// missing or does not parse, so a broken source shows as a missing icon instead of garbage.
QImage RenderSvgImage(const QString& name, QSize size);

}  // namespace nimbo::resources
