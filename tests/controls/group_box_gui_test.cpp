#include <gtest/gtest.h>

#include <QFontMetrics>

#include "controls/xp_group_box.h"
#include "hosted_control.h"
#include "widget_events.h"

namespace {

using namespace nimbo::testing;
using nimbo::imaging::Color;
using nimbo::ui::FontSpec;

QImage Render(QWidget* w) {
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    // Only what the box paints itself: it fills no background of its own.
    w->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

TEST(XPGroupBox, SettersChainAndStoreTheirValues) {
    CXPGroupBox box;
    QWidget window;
    QWidget* widget = HostControl(box, &window, {5, 5, 200, 60});
    CXPGroupBox& same = box.SetBanded(1)
                            .SetFrameColor({1, 2, 3})
                            .SetTitleColor({4, 5, 6})
                            .SetFillColors({7, 8, 9}, {10, 11, 12})
                            .SetTitleBold(true)
                            .SetTitleItalic(1)
                            .SetTitleUnderline(1)
                            .SetTitlePointSize(12)
                            .SetTitleAlignment(5);
    EXPECT_EQ(&same, &box);
    EXPECT_TRUE(box.Banded());
    EXPECT_EQ(box.FrameColor(), (Color{1, 2, 3}));
    EXPECT_EQ(box.TitleColor(), (Color{4, 5, 6}));
    EXPECT_EQ(box.BandColor(), (Color{7, 8, 9}));
    EXPECT_EQ(box.BodyColor(), (Color{10, 11, 12}));
    EXPECT_EQ(box.Alignment(), 0);
    EXPECT_EQ(box.SetTitleAlignment(2).Alignment(), 2);
    const FontSpec f = box.TitleFont();
    EXPECT_TRUE(f.bold);
    EXPECT_TRUE(f.italic);
    EXPECT_TRUE(f.underline);
    EXPECT_EQ(f.pointSize, 12);
    box.SetFillColor({20, 20, 20}).SetTitleBold(false);
    EXPECT_EQ(box.BandColor(), box.BodyColor());
    EXPECT_FALSE(box.TitleFont().bold);
    box.SetTitleFontName(std::string(40, 'x'), 134);
    EXPECT_EQ(box.TitleFont().families.at(0).size(), 31u);
    EXPECT_EQ(box.Charset(), 134);
    const FontSpec whole{{"Serif"}, 20};
    EXPECT_EQ(box.SetTitleFont(whole).TitleFont().pointSize, 20);
    EXPECT_TRUE(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus);
}

TEST(XPGroupBox, TitleFontStartsAsTheBoxFontAndKeepsItsPixelSize) {
    CXPGroupBox box;
    QWidget window;
    QFont dialogFont(QStringLiteral("Serif"));
    dialogFont.setPixelSize(12);
    window.setFont(dialogFont);
    HostControl(box, &window, {5, 5, 200, 60});
    EXPECT_EQ(box.TitleFont().families.at(0), "Serif");
    EXPECT_EQ(box.TitleFont().pixelSize, 12);
    EXPECT_EQ(box.SetTitleBold(true).TitleFont().pixelSize, 12);
    // Points replace the pixel size; a size of 0 changes nothing.
    EXPECT_EQ(box.SetTitlePointSize(0).TitleFont().pixelSize, 12);
    const FontSpec points = box.SetTitlePointSize(14).TitleFont();
    EXPECT_EQ(points.pixelSize, 0);
    EXPECT_EQ(points.pointSize, 14);
    // Face names are cut at 31 UTF-16 units, never inside a character.
    box.SetTitleFontName(std::string(30, 'a') + "宋体", 134);
    EXPECT_EQ(box.TitleFont().families.at(0), std::string(30, 'a') + "宋");
}

TEST(XPGroupBox, TitleComesFromTheTextAtTheFirstPaintAndLaterOnlyFromSetTitle) {
    CXPGroupBox box;
    QWidget window;
    QWidget* widget = HostControl(box, &window, {5, 5, 200, 60});
    box.Host()->Self().SetText("安装结果");
    EXPECT_TRUE(box.Title().empty());
    Render(widget);
    EXPECT_EQ(box.Title(), " 安装结果 ");
    box.Host()->Self().SetText("操作状态");
    Render(widget);
    EXPECT_EQ(box.Title(), " 安装结果 ");
    box.SetTitle("操作状态");
    EXPECT_EQ(box.Title(), " 操作状态 ");
}

TEST(XPGroupBox, BandedSeparatorAndPlainFrameSitByTheTitleHeight) {
    CXPGroupBox box;
    QWidget window;
    QWidget* widget = HostControl(box, &window, {5, 5, 200, 60});
    box.Host()->Self().SetText("安装结果");
    box.SetFrameColor({255, 0, 0}).SetFillColors({0, 255, 0}, {0, 0, 255});
    const int cy = QFontMetrics(widget->font()).height();

    box.SetBanded(1);
    QImage img = Render(widget);
    EXPECT_EQ(img.pixel(150, 1 + cy + 4), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy + 3), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy + 5), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(1, 58), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0);

    box.SetBanded(0);
    img = Render(widget);
    EXPECT_EQ(img.pixel(150, 1 + cy / 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(150, 1 + cy / 2 - 1), 0u);
    EXPECT_EQ(img.pixel(150, 30), 0u);
    EXPECT_EQ(img.pixel(1, 30), qRgb(255, 0, 0));
}

}  // namespace
