#include "controls/button_content.h"

namespace nimbo {

using imaging::Rect;
using imaging::Size;

Size IconLayoutSize(Size iconSize) {
    return {iconSize.width / 2 * 2, iconSize.height / 2 * 2};
}

ContentLayout LayOutButtonContent(const Rect& item, const Size* iconLayout, bool hasCaption) {
    ContentLayout out{{item.left, item.top}, item};
    if (!iconLayout) return out;
    const int w = iconLayout->width;
    const int h = iconLayout->height;
    if (hasCaption) {
        out.iconTopLeft.x += 3;
        out.captionRect.left += w + 3;
    } else {
        out.iconTopLeft.x += (item.Width() - w) / 2;
    }
    out.iconTopLeft.y += (item.Height() - h) / 2;
    return out;
}

Rect CenterTextBlock(const Rect& r0, Size measured) {
    const Rect r1{r0.left, r0.top, r0.left + measured.width, r0.top + measured.height};
    return r1.Offset((r0.Width() - r1.Width()) / 2, (r0.Height() - r1.Height()) / 2);
}

Rect DrawButtonCaption(imaging::Canvas& dc, const Rect& r0, std::string_view caption, bool disabled,
                       const CaptionColors& colors, ui::TextPainter& text) {
    const Size measured = text.Measure(caption, r0.Width(), ui::TextFormat::WordBreakCentered);
    const Rect r1 = CenterTextBlock(r0, measured);
    if (disabled) {
        text.Draw(dc, r1.Offset(1, 1), caption, colors.highlight,
                  ui::TextFormat::WordBreakCentered);
        text.Draw(dc, r1, caption, colors.shadow, ui::TextFormat::WordBreakCentered);
    } else {
        text.Draw(dc, r1, caption, colors.text, ui::TextFormat::WordBreakCentered);
    }
    return r1;
}

}  // namespace nimbo
