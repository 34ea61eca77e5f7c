#include "controls/group_box_paint.h"

namespace nimbo {

using imaging::Rect;
using imaging::Size;

TitleAlignment TitleAlignmentFromInt(int value) {
    if (value == 1) return TitleAlignment::Center;
    if (value == 2) return TitleAlignment::Right;
    return TitleAlignment::Left;
}

Rect GroupBoxTitleRect(const Rect& r, Size text, bool banded, TitleAlignment alignment) {
    const auto [L, T, R, B] = r;
    const int cx = text.width;
    const int cy = text.height;
    // The band look keeps the title 2 pixels off the frame; the plain look
    // sets it 10 pixels in from the side it is aligned to.
    const int margin = banded ? 2 : 10;
    const int top = banded ? T + 2 : T;
    int left = L + margin;
    if (alignment == TitleAlignment::Center) {
        left = banded ? L + (R - L - cx) / 2 : L + (R - cx - L) / 2;
    } else if (alignment == TitleAlignment::Right) {
        left = R - margin - cx;
    }
    return {left, top, left + cx, top + cy};
}

void PaintGroupBox(imaging::Canvas& dc, const Rect& client, std::string_view title,
                   const GroupBoxLook& look, ui::TextPainter& text) {
    const Rect r = client.Inflated(-1, -1);
    const auto [L, T, R, B] = r;
    const Size extent =
        title.empty() ? Size{} : text.Measure(title, 0, ui::TextFormat::SingleLineVCenterNoClip);
    const int cy = extent.height;
    const Rect titleRect = GroupBoxTitleRect(r, extent, look.banded, look.alignment);
    if (!look.banded) {
        dc.RoundRect({L, T + cy / 2, R, B}, 10, 10, look.frame);
        // The title hides the frame line behind it, and nothing else.
        dc.IntersectClip(titleRect);
        dc.FillRect(titleRect, look.band);
    } else {
        dc.RoundRect(r, 10, 10, look.frame, look.band);
        const Rect body{L, T + cy + 4, R, B};
        dc.FillRect(body.Inflated(-1, -1), look.body);
        dc.FrameRect(body, look.frame);
    }
    if (!title.empty()) {
        text.Draw(dc, titleRect, title, look.title, ui::TextFormat::SingleLineVCenterNoClip);
    }
    dc.ResetClip();
}

}  // namespace nimbo
