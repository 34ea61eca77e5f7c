#pragma once
// The rounded gradient face of the skinned push buttons: a dark blue rounded
// border, a light vertical gradient face, a coloured rim for the hot, focused,
// default and pressed looks, and a flat pale face when disabled.
#include <functional>

#include "imaging/canvas.h"

namespace nimbo {

struct ButtonState {
    bool hot = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    bool isDefault = false;
};

// Rim gradient (top, bottom), face gradient (top, bottom) and the face's left inset.
struct FaceColors {
    imaging::Color rimTop, rimBottom, faceTop, faceBottom;
    int faceInset = 2;
    friend bool operator==(const FaceColors&, const FaceColors&) = default;
};

namespace face_colors {
inline constexpr imaging::Color kLeftShade{226, 222, 203};
inline constexpr imaging::Color kBottomLight{248, 247, 242};
inline constexpr imaging::Color kOuterTop{220, 214, 194};
inline constexpr imaging::Color kOuterBottom{245, 244, 235};
inline constexpr imaging::Color kOuterPen{122, 149, 168};
inline constexpr imaging::Color kOuterPenDisabled{216, 213, 199};
inline constexpr imaging::Color kInnerPen{0, 60, 116};
inline constexpr imaging::Color kInnerPenDisabled{201, 199, 186};
inline constexpr imaging::Color kDisabledFace{245, 244, 234};
}  // namespace face_colors

// Later looks win: hot beats focused/default, pressed beats hot, disabled beats all.
FaceColors ChooseFaceColors(const ButtonState& state);

// Paints the face over `rect` of `dc` through an off-screen picture.
// paintParentSnapshot puts the parent's pixels under the button into the
// off-screen canvas first, so they show outside the rounded border.
void DrawGradientFace(imaging::Canvas& dc, const imaging::Rect& rect, const ButtonState& state,
                      const std::function<void(imaging::Canvas&)>& paintParentSnapshot);

}  // namespace nimbo
