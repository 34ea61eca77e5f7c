#include "ui/qt/qt_pictures.h"

#include <algorithm>

namespace nimbo::ui {

QImage ToQImage(const imaging::Canvas& canvas) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) {
        return {};
    }
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < canvas.Height(); ++y) {
        const std::uint32_t* row = canvas.Bits() + static_cast<std::size_t>(y) * canvas.Width();
        std::copy_n(row, canvas.Width(), reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
    return image;
}

QPixmap ToQPixmap(const imaging::Canvas& canvas) {
    const QImage image = ToQImage(canvas);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace nimbo::ui
