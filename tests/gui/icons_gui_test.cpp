// The icons and the banner: sizes, real pixels, colours that match each picture (so an id
// mapped to the wrong source shows up), and a contact sheet written for people to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "icons/icons.h"

namespace {

using nimbo::resources::IconSize;
using nimbo::resources::LoadBannerBitmap;
using nimbo::resources::LoadIconPixmap;

const std::map<int, QSize>& ExpectedSizes() {
    static const std::map<int, QSize> sizes = {
        {128, {32, 32}}, {131, {16, 16}}, {132, {16, 16}}, {133, {16, 16}}, {134, {16, 16}},
        {135, {24, 24}}, {136, {15, 16}}, {137, {16, 16}}, {144, {16, 16}}, {148, {15, 15}},
        {149, {15, 15}}, {150, {16, 16}}, {151, {16, 16}}, {152, {16, 16}}, {153, {16, 16}},
        {154, {15, 15}}, {155, {16, 16}},
    };
    return sizes;
}

struct Average {
    double r = 0, g = 0, b = 0;
    int opaque = 0;
};

// Colour average over the visibly drawn pixels, weighted by coverage.
Average AverageColour(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    Average avg;
    double weight = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255) {
                ++avg.opaque;
            }
            const double a = c.alphaF();
            avg.r += c.red() * a;
            avg.g += c.green() * a;
            avg.b += c.blue() * a;
            weight += a;
        }
    }
    if (weight > 0) {
        avg.r /= weight;
        avg.g /= weight;
        avg.b /= weight;
    }
    return avg;
}

class IconsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "icons_gui_test";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);  // lives until the process ends
        }
    }
};

TEST_F(IconsTest, EveryIconHasItsOwnSizeRealPixelsAndATransparentBackground) {
    for (const auto& [id, size] : ExpectedSizes()) {
        SCOPED_TRACE(id);
        EXPECT_EQ(IconSize(id), size);
        const QPixmap pixmap = LoadIconPixmap(id);
        ASSERT_FALSE(pixmap.isNull());
        EXPECT_EQ(pixmap.size(), size);
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 1.0);
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner must stay see-through";
        // A picture, not a speck: a fair share of the square is solid.
        EXPECT_GT(AverageColour(image).opaque, size.width() * size.height() / 8);
    }
}

TEST_F(IconsTest, UnknownIdsGiveNothing) {
    for (int id : {-1, 0, 127, 129, 130, 138, 143, 145, 147, 156, 1000}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(LoadIconPixmap(id).isNull());
        EXPECT_TRUE(IconSize(id).isEmpty());
    }
}

TEST_F(IconsTest, EachIconShowsTheColourOfItsPicture) {
    auto colour = [](int id) { return AverageColour(LoadIconPixmap(id).toImage()); };
    for (int id : {133, 134, 135, 148, 150, 153}) {  // green pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.g, c.r);
        EXPECT_GT(c.g, c.b);
    }
    for (int id : {149, 154}) {  // red discs
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.r, c.g + 40);
        EXPECT_GT(c.r, c.b + 40);
    }
    for (int id : {132, 137, 152, 155}) {  // blue pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.b, c.r);
        EXPECT_GT(c.b, c.g - 10);
    }
    for (int id : {136, 144, 151}) {  // yellow and orange pictures
        SCOPED_TRACE(id);
        const Average c = colour(id);
        EXPECT_GT(c.r, c.b + 60);
        EXPECT_GT(c.g, c.b + 20);
    }
    const Average house = colour(131);  // pink: red first, blue above green
    EXPECT_GT(house.r, house.b);
    EXPECT_GT(house.b, house.g);
    const Average gear = colour(128);  // blue-violet
    EXPECT_GT(gear.b, gear.g + 40);
    EXPECT_GT(gear.r, gear.g);
}

TEST_F(IconsTest, DifferentPicturesAreDifferentImages) {
    std::vector<std::pair<int, QImage>> seen;
    for (const auto& [id, size] : ExpectedSizes()) {
        const QImage image = LoadIconPixmap(id).toImage();
        for (const auto& [otherId, other] : seen) {
            // 149 and 154 show the same red disc with a cross.
            if ((id == 154 && otherId == 149) || image.size() != other.size()) {
                continue;
            }
            EXPECT_NE(image, other) << id << " looks the same as " << otherId;
        }
        seen.emplace_back(id, image);
    }
}

TEST_F(IconsTest, BannerIsABlueBandWithTheOrangeNameAndIsStable) {
    const QImage banner = LoadBannerBitmap();
    ASSERT_EQ(banner.size(), QSize(678, 84));
    EXPECT_EQ(banner.depth(), 24);
    EXPECT_FALSE(banner.hasAlphaChannel());
    EXPECT_EQ(banner, LoadBannerBitmap()) << "the same picture on every call";

    for (QPoint corner : {QPoint(1, 1), QPoint(676, 1), QPoint(1, 80), QPoint(676, 80)}) {
        const QColor c = banner.pixelColor(corner);
        EXPECT_GT(c.blue(), c.red() + 40) << corner.x() << "," << corner.y();
    }
    int orangeLeft = 0, orangeRight = 0, whiteRight = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            const QColor c = banner.pixelColor(x, y);
            const bool orange = c.red() > 220 && c.green() > 90 && c.green() < 200 && c.blue() < 90;
            const bool white = c.red() > 240 && c.green() > 240 && c.blue() > 240;
            (x < 240 ? orangeLeft : orangeRight) += orange ? 1 : 0;
            whiteRight += (x >= 240 && white) ? 1 : 0;
        }
    }
    EXPECT_GT(orangeLeft, 500) << "the product name in large orange letters";
    EXPECT_GT(whiteRight, 300) << "the makers' names and emblems";
}

// Not a check: a picture of every icon (as drawn and magnified four times) and of the banner,
// for reviewing the artwork.
TEST_F(IconsTest, WritesAContactSheet) {
    const char* binaryDir = std::getenv("NIMBO_BINARY_DIR");
    const QString dir = QString::fromLocal8Bit(binaryDir ? binaryDir : ".") + "/pictures";
    ASSERT_TRUE(QDir().mkpath(dir));

    // Each cell: the label, the icon as drawn on white and on dark, and four times magnified
    // (pixel for pixel, no smoothing) on white.
    constexpr int kCell = 176;
    constexpr int kColumns = 5;
    const int count = static_cast<int>(ExpectedSizes().size());
    const int rows = (count + kColumns - 1) / kColumns;
    const int bannerTop = rows * kCell + 12;
    QImage sheet(std::max(kColumns * kCell, 678 + 24), bannerTop + 84 + 12, QImage::Format_RGB32);
    sheet.fill(QColor(0xec, 0xe9, 0xd8));
    QPainter painter(&sheet);
    int index = 0;
    for (const auto& [id, size] : ExpectedSizes()) {
        const int left = (index % kColumns) * kCell + 8;
        const int top = (index / kColumns) * kCell + 6;
        const QPixmap pixmap = LoadIconPixmap(id);
        painter.setPen(Qt::black);
        painter.drawText(left, top + 12,
                         QStringLiteral("%1  %2x%3").arg(id).arg(size.width()).arg(size.height()));
        painter.fillRect(left, top + 18, 36, 68, Qt::white);
        painter.fillRect(left, top + 86, 36, 68, QColor(0x40, 0x40, 0x40));
        painter.drawPixmap(left + 2, top + 20, pixmap);
        painter.drawPixmap(left + 2, top + 88, pixmap);
        painter.fillRect(left + 36, top + 18, 4 * 32 + 4, 136, Qt::white);
        painter.drawImage(QRect(left + 38, top + 20, size.width() * 4, size.height() * 4),
                          pixmap.toImage());
        ++index;
    }
    const QImage banner = LoadBannerBitmap();
    painter.drawImage(12, bannerTop, banner);
    painter.end();
    EXPECT_TRUE(sheet.save(dir + "/icons_contact_sheet.png"));
    EXPECT_TRUE(banner.save(dir + "/banner_129.png"));
}

}  // namespace
