#include "svg_image.h"

#include <QPainter>
#include <QSvgRenderer>

namespace nimbo::render {

QImage RenderSvgImage(const QString& path, QSize size) {
    if (size.isEmpty()) {
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    // The sources are drawn on a grid of the native size, so rendering into the whole image
    // maps every source unit onto exactly one pixel and the straight edges stay sharp.
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

}  // namespace nimbo::render
