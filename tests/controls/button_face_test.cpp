#include "controls/button_face.h"

#include <gtest/gtest.h>

#include "controls/offscreen_dc.h"

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
namespace fc = face_colors;

constexpr Color kParent{10, 20, 30};
constexpr Color kTarget{1, 2, 3};
constexpr int W = 40;
constexpr int H = 24;

Color Grad(Color top, Color bottom, int step, int span) {
    auto mix = [&](int a, int b) { return static_cast<std::uint8_t>(a + (b - a) * step / span); };
    return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b)};
}

Color Inverted(Color c) {
    return {static_cast<std::uint8_t>(255 - c.r), static_cast<std::uint8_t>(255 - c.g),
            static_cast<std::uint8_t>(255 - c.b)};
}

Canvas Paint(const ButtonState& state) {
    Canvas target(W, H, Canvas::ToPixel(kTarget));
    DrawGradientFace(target, {0, 0, W, H}, state,
                     [](Canvas& dc) { dc.FillRect(dc.Bounds(), kParent); });
    return target;
}

// Rim gradient over (2, 2, W - 2, H - 2), face gradient over (e, 4, W - 4, H - 4).
Color Rim(const FaceColors& c, int y) {
    return Grad(c.rimTop, c.rimBottom, y - 2, H - 4);
}
Color Face(const FaceColors& c, int y) {
    return Grad(c.faceTop, c.faceBottom, y - 4, H - 8);
}

TEST(GradientFace, OuterRingCornersAndBorderOfAnEnabledButton) {
    const Canvas c = Paint({});
    // Outer gradient over (1, 0, W, H - 1) on the top row and the right column.
    EXPECT_EQ(c.GetPixel(10, 0), (Color{220, 214, 194}));
    EXPECT_EQ(c.GetPixel(W - 1, 5), (Color{225, 220, 202}));
    EXPECT_EQ(c.GetPixel(0, 5), fc::kLeftShade);
    EXPECT_EQ(c.GetPixel(0, H - 2), fc::kLeftShade);
    EXPECT_EQ(c.GetPixel(2, H - 1), fc::kBottomLight);
    EXPECT_EQ(c.GetPixel(W - 2, H - 1), fc::kBottomLight);
    // The parent shows at three corners, and the top-right keeps the old pixel.
    EXPECT_EQ(c.GetPixel(0, 0), kParent);
    EXPECT_EQ(c.GetPixel(0, H - 1), kParent);
    EXPECT_EQ(c.GetPixel(1, H - 1), kParent);
    EXPECT_EQ(c.GetPixel(W - 1, H - 1), kParent);
    EXPECT_EQ(c.GetPixel(W - 1, 0), kTarget);
    // Between the ring and the rounded border: the outer gradient.
    EXPECT_EQ(c.GetPixel(1, 1), Grad(fc::kOuterTop, fc::kOuterBottom, 1, H - 1));
    // The inner border covers the outer one except where the corner curves in.
    EXPECT_EQ(c.GetPixel(10, 1), fc::kInnerPen);
    EXPECT_EQ(c.GetPixel(1, 10), fc::kInnerPen);
    EXPECT_EQ(c.GetPixel(W - 2, 10), fc::kInnerPen);
    EXPECT_EQ(c.GetPixel(10, H - 2), fc::kInnerPen);
    EXPECT_EQ(c.GetPixel(2, 1), fc::kOuterPen);
    EXPECT_EQ(c.GetPixel(1, 2), fc::kOuterPen);
    EXPECT_EQ(c.GetPixel(W - 3, H - 2), fc::kOuterPen);
    EXPECT_EQ(c.GetPixel(2, 2), fc::kInnerPen);
}

TEST(GradientFace, NormalLookHasNoLeftRimBand) {
    const Canvas c = Paint({});
    const FaceColors n = ChooseFaceColors({});
    EXPECT_EQ(n.faceInset, 2);
    EXPECT_EQ(c.GetPixel(10, 2), (Color{255, 255, 255}));
    EXPECT_EQ(c.GetPixel(10, 3), Rim(n, 3));
    EXPECT_EQ(c.GetPixel(10, H - 3), Rim(n, H - 3));
    EXPECT_EQ(c.GetPixel(W - 3, 10), Rim(n, 10));
    EXPECT_EQ(c.GetPixel(W - 4, 10), Rim(n, 10));
    EXPECT_EQ(c.GetPixel(W - 5, 10), Face(n, 10));
    EXPECT_EQ(c.GetPixel(2, 10), Face(n, 10));
    EXPECT_EQ(c.GetPixel(10, 4), (Color{252, 252, 251}));
}

struct Look {
    const char* name;
    ButtonState state;
    Color rimTop;
    bool focusRect;
};

TEST(GradientFace, EveryOtherLookShowsItsRimOnAllFourSides) {
    const Look looks[] = {
        {"focused", {.focused = true}, {206, 231, 255}, true},
        {"default", {.isDefault = true}, {206, 231, 255}, false},
        {"hot", {.hot = true}, {255, 240, 207}, false},
        {"hot and focused", {.hot = true, .focused = true}, {255, 240, 207}, true},
        {"pressed", {.pressed = true}, {209, 204, 193}, false},
        {"pressed and hot", {.hot = true, .pressed = true}, {209, 204, 193}, false},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        const Canvas c = Paint(look.state);
        const FaceColors f = ChooseFaceColors(look.state);
        EXPECT_EQ(f.rimTop, look.rimTop);
        EXPECT_EQ(f.faceInset, 4);
        EXPECT_EQ(c.GetPixel(10, 2), look.rimTop);
        EXPECT_EQ(c.GetPixel(2, 11), Rim(f, 11));
        EXPECT_EQ(c.GetPixel(4, 11), Face(f, 11));
        EXPECT_EQ(c.GetPixel(W - 3, 11), Rim(f, 11));
        EXPECT_EQ(c.GetPixel(10, H - 3), Rim(f, H - 3));
        // The dotted focus frame lies 3 pixels inside the edge, over the rim.
        const Color at33 = look.focusRect ? Inverted(Rim(f, 3)) : Rim(f, 3);
        EXPECT_EQ(c.GetPixel(3, 3), at33);
        EXPECT_EQ(c.GetPixel(4, 3), Rim(f, 3));
        EXPECT_EQ(c.GetPixel(3, 11), look.focusRect ? Inverted(Rim(f, 11)) : Rim(f, 11));
        EXPECT_EQ(c.GetPixel(W - 4, 12), look.focusRect ? Inverted(Rim(f, 12)) : Rim(f, 12));
    }
    EXPECT_EQ(ChooseFaceColors({.pressed = true}).faceTop, (Color{229, 228, 221}));
    EXPECT_EQ(ChooseFaceColors({.hot = true}).rimBottom, (Color{229, 151, 0}));
}

TEST(GradientFace, DisabledLookIsFlatAndPaleWhateverElseHolds) {
    const ButtonState states[] = {{.disabled = true},
                                  {.hot = true, .pressed = true, .disabled = true},
                                  {.disabled = true, .isDefault = true}};
    for (const ButtonState& s : states) {
        const Canvas c = Paint(s);
        EXPECT_EQ(c.GetPixel(10, 0), kParent);
        EXPECT_EQ(c.GetPixel(0, 5), kParent);
        EXPECT_EQ(c.GetPixel(10, H - 1), kParent);
        EXPECT_EQ(c.GetPixel(1, 1), kParent);
        EXPECT_EQ(c.GetPixel(W - 1, 0), kTarget);
        EXPECT_EQ(c.GetPixel(10, 1), fc::kInnerPenDisabled);
        EXPECT_EQ(c.GetPixel(2, 1), fc::kOuterPenDisabled);
        EXPECT_EQ(c.GetPixel(2, 10), fc::kDisabledFace);
        EXPECT_EQ(c.GetPixel(10, 3), fc::kDisabledFace);
        EXPECT_EQ(c.GetPixel(20, 12), fc::kDisabledFace);
    }
}

TEST(OffscreenDC, TargetChangesOnlyWhenThePictureIsCopiedBackOverItsClipBox) {
    Canvas target(10, 10, Canvas::ToPixel(kTarget));
    target.IntersectClip({2, 2, 6, 6});
    {
        COffscreenDC off(target);
        EXPECT_EQ(off.Region(), (Rect{2, 2, 6, 6}));
        EXPECT_EQ(off.Bounds(), (Rect{2, 2, 6, 6}));
        off.FillRect({0, 0, 10, 10}, kParent);
        EXPECT_EQ(target.GetPixel(3, 3), kTarget);
    }
    EXPECT_EQ(target.GetPixel(2, 2), kParent);
    EXPECT_EQ(target.GetPixel(5, 5), kParent);
    EXPECT_EQ(target.GetPixel(6, 6), kTarget);
    EXPECT_EQ(target.GetPixel(1, 3), kTarget);
}

}  // namespace
}  // namespace nimbo
