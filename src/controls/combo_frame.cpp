#include "controls/combo_frame.h"

namespace nimbo {

using imaging::Color;
using imaging::Rect;

FramePair ComboFramePair(ComboFrameState state, const ComboColors& colors) {
    if (state == ComboFrameState::Flat) return {colors.face, colors.face};
    return {colors.shadow, colors.highlight};
}

void DrawComboFrame(imaging::Canvas& dc, const Rect& client, ComboFrameState state, Color topLeft,
                    Color bottomRight, const ComboColors& colors, bool enabled, int thumbWidth) {
    Rect r = client;
    dc.Frame3d(r, topLeft, bottomRight);
    r = r.Inflated(-1, -1);
    const Color second = enabled ? colors.face : colors.highlight;
    dc.Frame3d(r, second, second);
    r = r.Inflated(-1, -1);
    r.left = r.right - thumbWidth;
    dc.Frame3d(r, colors.face, colors.face);
    r = r.Inflated(-1, -1);
    dc.Frame3d(r, colors.face, colors.face);
    if (!enabled) return;
    switch (state) {
        case ComboFrameState::Flat:
            r = {r.left, r.top - 1, r.right, r.bottom + 1};
            dc.Frame3d(r, colors.highlight, colors.highlight);
            r.left -= 1;
            dc.Frame3d(r, colors.highlight, colors.highlight);
            break;
        case ComboFrameState::Hot:
            r = {r.left, r.top - 1, r.right, r.bottom + 1};
            dc.Frame3d(r, colors.highlight, colors.shadow);
            break;
        case ComboFrameState::Pressed:
            r = Rect{r.left, r.top - 1, r.right, r.bottom + 1}.Offset(1, 1);
            dc.Frame3d(r, colors.shadow, colors.highlight);
            break;
    }
}

}  // namespace nimbo
