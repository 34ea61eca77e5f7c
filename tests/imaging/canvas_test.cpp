#include "imaging/canvas.h"

#include <gtest/gtest.h>

namespace nimbo::imaging {

void PrintTo(const Color& c, std::ostream* os) {
    *os << "(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

namespace {

constexpr Color kWhite{255, 255, 255};
constexpr Color kPen{10, 20, 30};
constexpr Color kFill{200, 100, 50};

Canvas White(int w, int h) {
    return Canvas(w, h, Canvas::ToPixel(kWhite));
}

// The painted pixels of a row or column as a string of '#' and '.'.
std::string Row(const Canvas& c, int y, int x0, int x1, Color ink = kPen) {
    std::string s;
    for (int x = x0; x < x1; ++x) s += c.GetPixel(x, y) == ink ? '#' : '.';
    return s;
}

TEST(CanvasLine, LeavesOutTheEndPointInEveryDirection) {
    Canvas c = White(10, 10);
    c.Line({1, 2}, {6, 2}, kPen);
    EXPECT_EQ(Row(c, 2, 0, 10), ".#####....");
    Canvas back = White(10, 10);
    back.Line({6, 2}, {1, 2}, kPen);
    EXPECT_EQ(Row(back, 2, 0, 10), "..#####...");
    Canvas v = White(10, 10);
    v.Line({3, 1}, {3, 4}, kPen);
    EXPECT_EQ(v.GetPixel(3, 1), kPen);
    EXPECT_EQ(v.GetPixel(3, 3), kPen);
    EXPECT_EQ(v.GetPixel(3, 4), kWhite);
    Canvas d = White(10, 10);
    d.Line({0, 0}, {3, 3}, kPen);
    EXPECT_EQ(d.GetPixel(2, 2), kPen);
    EXPECT_EQ(d.GetPixel(3, 3), kWhite);
    Canvas dot = White(4, 4);
    dot.Line({1, 1}, {1, 1}, kPen);
    EXPECT_EQ(dot.GetPixel(1, 1), kWhite);
}

TEST(CanvasGradient, FollowsTheRowFormulaWithTruncation) {
    Canvas c = White(4, 6);
    c.VerticalGradient({1, 1, 3, 4}, {229, 0, 10}, {152, 255, 10});
    // Rows 1..3 of a 3-row span; -77 / 3 truncates to -25 (not -26).
    EXPECT_EQ(c.GetPixel(1, 1), (Color{229, 0, 10}));
    EXPECT_EQ(c.GetPixel(2, 2), (Color{204, 85, 10}));
    EXPECT_EQ(c.GetPixel(1, 3), (Color{178, 170, 10}));
    // The bottom colour itself is never reached, and nothing outside is painted.
    EXPECT_EQ(c.GetPixel(1, 4), kWhite);
    EXPECT_EQ(c.GetPixel(0, 2), kWhite);
    EXPECT_EQ(c.GetPixel(3, 2), kWhite);
}

TEST(CanvasRoundRect, EdgesLieOnLeftTopRightMinusOneBottomMinusOne) {
    Canvas c = White(20, 12);
    c.RoundRect({2, 1, 18, 11}, 6, 6, kPen);
    EXPECT_EQ(Row(c, 1, 0, 20), "....############....");
    EXPECT_EQ(Row(c, 2, 0, 20), "...#............#...");
    EXPECT_EQ(Row(c, 3, 0, 20), "..#..............#..");
    EXPECT_EQ(Row(c, 5, 0, 20), "..#..............#..");
    EXPECT_EQ(Row(c, 8, 0, 20), "..#..............#..");
    EXPECT_EQ(Row(c, 9, 0, 20), "...#............#...");
    EXPECT_EQ(Row(c, 10, 0, 20), "....############....");
    EXPECT_EQ(Row(c, 11, 0, 20), "....................");
}

TEST(CanvasRoundRect, SmallerCornerKeepsPixelsOutsideTheLargerOne) {
    Canvas c = White(12, 12);
    c.RoundRect({0, 0, 12, 12}, 4, 4, kFill);
    EXPECT_EQ(Row(c, 0, 0, 12, kFill), ".##########.");
    EXPECT_EQ(Row(c, 1, 0, 12, kFill), "#..........#");
    c.RoundRect({0, 0, 12, 12}, 6, 6, kPen);
    // Where the 6 x 6 corner curves in, the 4 x 4 outline still shows.
    EXPECT_EQ(c.GetPixel(1, 0), kFill);
    EXPECT_EQ(c.GetPixel(0, 1), kFill);
    EXPECT_EQ(c.GetPixel(10, 11), kFill);
    EXPECT_EQ(c.GetPixel(0, 0), kWhite);
    EXPECT_EQ(c.GetPixel(1, 1), kPen);
    EXPECT_EQ(c.GetPixel(5, 0), kPen);
}

TEST(CanvasRoundRect, FillStaysInsideTheOutlineAndCornerIsClampedToTheSize) {
    Canvas c = White(14, 10);
    c.RoundRect({0, 0, 14, 10}, 10, 10, kPen, kFill);
    EXPECT_EQ(c.GetPixel(0, 0), kWhite);  // outside the rounded corner
    EXPECT_EQ(c.GetPixel(7, 0), kPen);
    EXPECT_EQ(c.GetPixel(7, 1), kFill);
    EXPECT_EQ(c.GetPixel(1, 5), kFill);
    EXPECT_EQ(c.GetPixel(0, 5), kPen);
    EXPECT_EQ(c.GetPixel(13, 5), kPen);
    // An ellipse larger than the rectangle is limited to it.
    Canvas small = White(6, 4);
    small.RoundRect({0, 0, 6, 4}, 40, 40, kPen);
    EXPECT_EQ(small.GetPixel(0, 0), kWhite);
    EXPECT_EQ(small.GetPixel(3, 0), kPen);
    EXPECT_EQ(small.GetPixel(3, 3), kPen);
}

TEST(CanvasFocusRect, InvertsEveryOtherFramePixelAndUndoesItself) {
    Canvas c = White(8, 6);
    c.FocusRect({1, 1, 7, 5});
    EXPECT_EQ(c.GetPixel(1, 1), (Color{0, 0, 0}));
    EXPECT_EQ(c.GetPixel(2, 1), kWhite);
    EXPECT_EQ(c.GetPixel(3, 1), (Color{0, 0, 0}));
    EXPECT_EQ(c.GetPixel(1, 3), (Color{0, 0, 0}));
    EXPECT_EQ(c.GetPixel(6, 2), (Color{0, 0, 0}));
    EXPECT_EQ(c.GetPixel(6, 3), kWhite);
    EXPECT_EQ(c.GetPixel(3, 3), kWhite);  // inside untouched
    EXPECT_EQ(c.GetPixel(7, 1), kWhite);  // right edge is R - 1
    c.FocusRect({1, 1, 7, 5});
    for (int y = 0; y < 6; ++y) EXPECT_EQ(Row(c, y, 0, 8, kWhite), "########");
}

TEST(CanvasFrames, ThreeDFrameGivesTheFarCornersToTheSecondColour) {
    Canvas c = White(6, 5);
    c.Frame3d({0, 0, 6, 5}, kPen, kFill);
    EXPECT_EQ(c.GetPixel(0, 0), kPen);
    EXPECT_EQ(c.GetPixel(4, 0), kPen);
    EXPECT_EQ(c.GetPixel(5, 0), kFill);
    EXPECT_EQ(c.GetPixel(0, 3), kPen);
    EXPECT_EQ(c.GetPixel(0, 4), kFill);
    EXPECT_EQ(c.GetPixel(5, 4), kFill);
    EXPECT_EQ(c.GetPixel(2, 2), kWhite);
    c.FillRect({1, 1, 5, 4}, kFill);
    EXPECT_EQ(Row(c, 2, 0, 6, kFill), ".#####");
}

TEST(CanvasCoordinates, OriginClipPixelAccessAndBlockCopy) {
    Canvas c = White(4, 4);
    c.SetOrigin({10, 20});
    EXPECT_EQ(c.Bounds(), (Rect{10, 20, 14, 24}));
    c.SetPixel(11, 21, kPen);
    EXPECT_EQ(c.GetPixel(11, 21), kPen);
    EXPECT_EQ(c.GetPixel(1, 1), std::nullopt);
    c.SetPixel(0, 0, kPen);  // outside: ignored
    c.IntersectClip({12, 20, 20, 30});
    EXPECT_EQ(c.ClipBox(), (Rect{12, 20, 14, 24}));
    c.FillRect({0, 0, 100, 100}, kFill);
    EXPECT_EQ(c.GetPixel(11, 22), kWhite);
    EXPECT_EQ(c.GetPixel(12, 22), kFill);
    c.ResetClip();

    Canvas dst = White(6, 6);
    dst.BlockCopy({0, 0, 6, 6}, c, {9, 19});
    EXPECT_EQ(dst.GetPixel(0, 0), kWhite);  // (9, 19) lies outside the source
    EXPECT_EQ(dst.GetPixel(2, 2), kPen);    // source (11, 21)
    EXPECT_EQ(dst.GetPixel(4, 4), kFill);   // source (13, 23)
    EXPECT_EQ(dst.GetPixel(5, 5), kWhite);
}

}  // namespace
}  // namespace nimbo::imaging
