#include "controls/button_content.h"

#include <gtest/gtest.h>

#include "fake_text_painter.h"

namespace nimbo {
namespace {

using imaging::Canvas;
using imaging::Color;
using imaging::Rect;
using imaging::Size;
using testing::FakeTextPainter;

TEST(IconLayout, LaysOutAtTwiceTheHotSpot) {
    EXPECT_EQ(IconLayoutSize({15, 15}), (Size{14, 14}));
    EXPECT_EQ(IconLayoutSize({15, 16}), (Size{14, 16}));
    EXPECT_EQ(IconLayoutSize({16, 16}), (Size{16, 16}));
    EXPECT_EQ(IconLayoutSize({24, 24}), (Size{24, 24}));
}

TEST(IconLayout, IconLeftOfCaptionOrCentredWithoutOne) {
    const Rect item{0, 0, 80, 30};
    const Size icon16{16, 16};
    const ContentLayout withCaption = LayOutButtonContent(item, &icon16, true);
    EXPECT_EQ(withCaption.iconTopLeft, (imaging::Point{3, 7}));
    EXPECT_EQ(withCaption.captionRect, (Rect{19, 0, 80, 30}));

    const Size icon15 = IconLayoutSize({15, 15});
    EXPECT_EQ(LayOutButtonContent(item, &icon15, true).captionRect.left, 17);
    EXPECT_EQ(LayOutButtonContent(item, &icon15, true).iconTopLeft.y, 8);

    const ContentLayout alone = LayOutButtonContent(item, &icon16, false);
    EXPECT_EQ(alone.iconTopLeft, (imaging::Point{32, 7}));

    const ContentLayout noIcon = LayOutButtonContent(item, nullptr, true);
    EXPECT_EQ(noIcon.captionRect, item);

    // An icon larger than the button starts above/left of it (halves truncate).
    const Size big{24, 24};
    EXPECT_EQ(LayOutButtonContent({0, 0, 10, 11}, &big, false).iconTopLeft,
              (imaging::Point{-7, -6}));
}

TEST(Caption, CentredBlockInTheCaptionRectangle) {
    EXPECT_EQ(CenterTextBlock({19, 0, 80, 30}, {24, 12}), (Rect{37, 9, 61, 21}));
    EXPECT_EQ(CenterTextBlock({0, 0, 10, 10}, {15, 13}), (Rect{-2, -1, 13, 12}));

    FakeTextPainter text;
    Canvas dc(80, 30);
    // Eight characters wrap into two lines of five in a 30-pixel-wide rectangle.
    const Rect r1 = DrawButtonCaption(dc, {0, 0, 30, 30}, "abcdefgh", false,
                                      {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, text);
    EXPECT_EQ(r1, (Rect{0, 3, 30, 27}));
}

TEST(Caption, NormalOnceEmbossedTwiceWhenDisabled) {
    const CaptionColors colors{{1, 1, 1}, {255, 255, 255}, {128, 128, 128}};
    Canvas dc(80, 30);
    FakeTextPainter normal;
    DrawButtonCaption(dc, {0, 0, 80, 30}, "刷新", false, colors, normal);
    ASSERT_EQ(normal.drawn.size(), 1u);
    EXPECT_EQ(normal.drawn[0].color, colors.text);
    EXPECT_EQ(normal.drawn[0].rect, (Rect{34, 9, 46, 21}));
    EXPECT_EQ(normal.drawn[0].format, ui::TextFormat::WordBreakCentered);

    FakeTextPainter disabled;
    DrawButtonCaption(dc, {0, 0, 80, 30}, "刷新", true, colors, disabled);
    ASSERT_EQ(disabled.drawn.size(), 2u);
    EXPECT_EQ(disabled.drawn[0].color, colors.highlight);
    EXPECT_EQ(disabled.drawn[0].rect, (Rect{35, 10, 47, 22}));
    EXPECT_EQ(disabled.drawn[1].color, colors.shadow);
    EXPECT_EQ(disabled.drawn[1].rect, (Rect{34, 9, 46, 21}));
}

}  // namespace
}  // namespace nimbo
