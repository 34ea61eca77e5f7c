// The pictures reach Qt unchanged: the canvas's premultiplied words become a Qt image that
// reads back as the same colours, owns its pixels, and stays pixel for pixel the same
// through a pixmap.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>

#include "icons/icons.h"
#include "imaging/canvas.h"
#include "ui/qt/qt_pictures.h"

namespace {

using nimbo::imaging::Canvas;
using nimbo::ui::ToQImage;
using nimbo::ui::ToQPixmap;

TEST(IconsQt, EmptyCanvasGivesNullImageAndPixmap) {
    EXPECT_TRUE(ToQImage(Canvas()).isNull());
    EXPECT_TRUE(ToQPixmap(Canvas()).isNull());
    EXPECT_TRUE(ToQPixmap(nimbo::resources::LoadIcon(0)).isNull());
}

TEST(IconsQt, ImageReadsAsTheCanvasColoursAndOwnsItsPixels) {
    // An odd width, so a row length mistake shifts pixels; half-covered pixels, so reading
    // them as straight alpha would show.
    auto canvas = std::make_unique<Canvas>(3, 2, Canvas::kTransparent);
    const std::uint32_t words[] = {0xFF102030u, 0x33331100u, 0x00000000u,
                                   0x55550011u, 0xFFFFFFFFu, 0xC0604020u};
    std::copy(std::begin(words), std::end(words), canvas->Bits());

    const QImage image = ToQImage(*canvas);
    canvas->Fill(Canvas::kOpaqueBlack);
    canvas.reset();

    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0x10, 0x20, 0x30, 0xFF));
    EXPECT_EQ(image.pixelColor(1, 0), QColor(255, 85, 0, 0x33));
    EXPECT_EQ(image.pixelColor(0, 1), QColor(255, 0, 51, 0x55));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(qAlpha(image.pixel(2, 0)), 0);
    EXPECT_EQ(image.pixel(2, 1), 0xC0604020u);
}

TEST(IconsQt, IconPixmapsKeepEveryPixel) {
    for (int id : {128, 135, 136, 148}) {
        SCOPED_TRACE(id);
        const Canvas icon = nimbo::resources::LoadIcon(id);
        const QPixmap pixmap = ToQPixmap(icon);
        ASSERT_EQ(pixmap.size(), QSize(icon.Width(), icon.Height()));
        const QImage back = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < icon.Height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(back.constScanLine(y));
            for (int x = 0; x < icon.Width(); ++x) {
                ASSERT_EQ(row[x], icon.RawPixel(x, y)) << x << "," << y;
            }
        }
    }
}

}  // namespace
