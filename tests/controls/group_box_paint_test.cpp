#include "controls/group_box_paint.h"

#include <gtest/gtest.h>

#include "fake_text_painter.h"

namespace nimbo::imaging {
void PrintTo(const Color& c, std::ostream* os) {
    *os << "(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}
}  // namespace nimbo::imaging

namespace nimbo {
namespace {

using imaging::Canvas;
using imaging::Color;
using imaging::Rect;
using testing::FakeTextPainter;

constexpr Color kFrame{128, 128, 128};
constexpr Color kBand{236, 233, 216};
constexpr Color kBody{230, 230, 230};
constexpr Color kTitle{0, 0, 0};
// " 安装结果 " is six characters: 36 x 12 with the fake painter.
constexpr const char* kTitleText = " 安装结果 ";

GroupBoxLook Look(bool banded, int alignment = 0) {
    return {kFrame, kBand, kBody, kTitle, banded, TitleAlignmentFromInt(alignment)};
}

bool Transparent(const Canvas& c, int x, int y) {
    return c.RawPixel(x, y) == Canvas::kTransparent;
}

TEST(GroupBoxTitle, RectangleByLookAndAlignment) {
    const Rect r{1, 1, 99, 59};
    EXPECT_EQ(GroupBoxTitleRect(r, {36, 12}, true, TitleAlignment::Left), (Rect{3, 3, 39, 15}));
    EXPECT_EQ(GroupBoxTitleRect(r, {36, 12}, true, TitleAlignment::Center), (Rect{32, 3, 68, 15}));
    EXPECT_EQ(GroupBoxTitleRect(r, {36, 12}, true, TitleAlignment::Right), (Rect{61, 3, 97, 15}));
    EXPECT_EQ(GroupBoxTitleRect(r, {36, 12}, false, TitleAlignment::Left), (Rect{11, 1, 47, 13}));
    EXPECT_EQ(GroupBoxTitleRect(r, {37, 12}, false, TitleAlignment::Center), (Rect{31, 1, 68, 13}));
    EXPECT_EQ(GroupBoxTitleRect(r, {36, 12}, false, TitleAlignment::Right), (Rect{53, 1, 89, 13}));
    EXPECT_EQ(TitleAlignmentFromInt(5), TitleAlignment::Left);
    EXPECT_EQ(TitleAlignmentFromInt(-1), TitleAlignment::Left);
}

TEST(GroupBoxPaint, BandedLookBandSeparatorAndSquareBottom) {
    Canvas c(100, 60, Canvas::kTransparent);
    FakeTextPainter text;
    PaintGroupBox(c, {0, 0, 100, 60}, kTitleText, Look(true), text);
    ASSERT_EQ(text.drawn.size(), 1u);
    EXPECT_EQ(text.drawn[0].rect, (Rect{3, 3, 39, 15}));
    EXPECT_EQ(text.drawn[0].text, kTitleText);
    EXPECT_EQ(text.drawn[0].color, kTitle);
    EXPECT_EQ(c.GetPixel(3, 3), kTitle);

    // Separator at y = T + cy + 4 = 17 across the whole width.
    for (int x : {1, 2, 50, 98}) EXPECT_EQ(c.GetPixel(x, 17), kFrame) << x;
    EXPECT_EQ(c.GetPixel(50, 16), kBand);
    EXPECT_EQ(c.GetPixel(50, 10), kBand);
    EXPECT_EQ(c.GetPixel(50, 18), kBody);
    EXPECT_EQ(c.GetPixel(50, 1), kFrame);
    EXPECT_EQ(c.GetPixel(50, 58), kFrame);
    // Rounded top corners, square bottom ones; the outermost ring stays clear.
    EXPECT_TRUE(Transparent(c, 1, 1));
    EXPECT_EQ(c.GetPixel(1, 58), kFrame);
    EXPECT_EQ(c.GetPixel(98, 58), kFrame);
    EXPECT_TRUE(Transparent(c, 0, 30));
    EXPECT_TRUE(Transparent(c, 99, 30));
    EXPECT_TRUE(Transparent(c, 50, 59));
}

TEST(GroupBoxPaint, PlainLookFrameThroughTheTitleMiddleHiddenOnlyBehindIt) {
    Canvas c(100, 60, Canvas::kTransparent);
    FakeTextPainter text;
    PaintGroupBox(c, {0, 0, 100, 60}, kTitleText, Look(false), text);
    ASSERT_EQ(text.drawn.size(), 1u);
    EXPECT_EQ(text.drawn[0].rect, (Rect{11, 1, 47, 13}));
    // Frame top edge at T + cy / 2 = 7, interrupted over x = 11 .. 46.
    EXPECT_EQ(c.GetPixel(10, 7), kFrame);
    EXPECT_EQ(c.GetPixel(12, 7), kBand);
    EXPECT_EQ(c.GetPixel(46, 7), kBand);
    EXPECT_EQ(c.GetPixel(47, 7), kFrame);
    EXPECT_EQ(c.GetPixel(1, 30), kFrame);
    EXPECT_EQ(c.GetPixel(98, 30), kFrame);
    EXPECT_EQ(c.GetPixel(50, 58), kFrame);
    // The title fill covers the title rectangle only; the body is not painted.
    EXPECT_EQ(c.GetPixel(20, 2), kBand);
    EXPECT_TRUE(Transparent(c, 50, 2));
    EXPECT_TRUE(Transparent(c, 50, 30));
}

TEST(GroupBoxPaint, EmptyTitleMeasuresNothing) {
    Canvas banded(100, 60, Canvas::kTransparent);
    FakeTextPainter text;
    PaintGroupBox(banded, {0, 0, 100, 60}, "", Look(true), text);
    EXPECT_TRUE(text.drawn.empty());
    EXPECT_EQ(banded.GetPixel(50, 5), kFrame);
    EXPECT_EQ(banded.GetPixel(50, 3), kBand);
    EXPECT_EQ(banded.GetPixel(50, 6), kBody);

    Canvas plain(100, 60, Canvas::kTransparent);
    PaintGroupBox(plain, {0, 0, 100, 60}, "", Look(false), text);
    EXPECT_EQ(plain.GetPixel(50, 1), kFrame);
    EXPECT_EQ(plain.GetPixel(1, 30), kFrame);
}

}  // namespace
}  // namespace nimbo
