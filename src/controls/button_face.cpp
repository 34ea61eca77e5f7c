#include "controls/button_face.h"

#include "controls/offscreen_dc.h"

namespace nimbo {

using imaging::Canvas;
using imaging::Color;
using imaging::Rect;

FaceColors ChooseFaceColors(const ButtonState& state) {
    FaceColors c{{255, 255, 255}, {226, 223, 214}, {252, 252, 251}, {236, 235, 230}, 2};
    if (state.focused || state.isDefault) {
        c.rimTop = {206, 231, 255};
        c.rimBottom = {105, 130, 238};
        c.faceInset = 4;
    }
    if (state.hot) {
        c.rimTop = {255, 240, 207};
        c.rimBottom = {229, 151, 0};
        c.faceInset = 4;
    }
    if (state.pressed) {
        c = {{209, 204, 193}, {242, 241, 238}, {229, 228, 221}, {226, 226, 218}, 4};
    }
    if (state.disabled) {
        const Color f = face_colors::kDisabledFace;
        c = {f, f, f, f, 4};
    }
    return c;
}

void DrawGradientFace(Canvas& dc, const Rect& rect, const ButtonState& state,
                      const std::function<void(Canvas&)>& paintParentSnapshot) {
    namespace fc = face_colors;
    const auto [L, T, R, B] = rect;
    COffscreenDC off(dc);
    if (paintParentSnapshot) paintParentSnapshot(off);
    // The top-right corner pixel keeps what the target already showed there.
    const auto keep = dc.GetPixel(R - 1, T);

    if (!state.disabled) {
        off.Line({L, T + 1}, {L, B - 1}, fc::kLeftShade);
        off.Line({L + 2, B - 1}, {R - 1, B - 1}, fc::kBottomLight);
        off.VerticalGradient({L + 1, T, R, B - 1}, fc::kOuterTop, fc::kOuterBottom);
    }
    const FaceColors c = ChooseFaceColors(state);
    off.VerticalGradient({L + 2, T + 2, R - 2, B - 2}, c.rimTop, c.rimBottom);
    off.VerticalGradient({L + c.faceInset, T + 4, R - 4, B - 4}, c.faceTop, c.faceBottom);
    if (state.focused) off.FocusRect({L + 3, T + 3, R - 3, B - 3});

    const Rect border{L + 1, T + 1, R - 1, B - 1};
    off.RoundRect(border, 4, 4, state.disabled ? fc::kOuterPenDisabled : fc::kOuterPen);
    off.RoundRect(border, 6, 6, state.disabled ? fc::kInnerPenDisabled : fc::kInnerPen);
    if (keep) off.SetPixel(R - 1, T, *keep);
}

}  // namespace nimbo
