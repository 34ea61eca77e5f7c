#pragma once
// Icon and caption placement of the skinned push buttons, and the caption's
// normal and embossed (disabled) drawing.
#include <string_view>

#include "imaging/canvas.h"
#include "ui/system_colors.h"
#include "ui/text_painter.h"

namespace nimbo {

// An icon lays out at twice its hot spot, and an icon's hot spot is its centre
// rounded down: 15 x 15 lays out as 14 x 14, 15 x 16 as 14 x 16.
imaging::Size IconLayoutSize(imaging::Size iconSize);

struct ContentLayout {
    imaging::Point iconTopLeft;  // meaningful only with an icon
    imaging::Rect captionRect;   // the area the caption is centred in
};

// iconLayout is the icon's layout size, or nothing for a button without an icon.
ContentLayout LayOutButtonContent(const imaging::Rect& item, const imaging::Size* iconLayout,
                                  bool hasCaption);

// Centres a measured text block of `measured` size inside r0 (truncating halves).
imaging::Rect CenterTextBlock(const imaging::Rect& r0, imaging::Size measured);

struct CaptionColors {
    imaging::Color text;       // for an enabled button
    imaging::Color highlight;  // emboss, one pixel down-right
    imaging::Color shadow;     // emboss, on top
};

// Measures the caption wrapped into r0's width, centres it and draws it, in
// the emboss colours when disabled. Returns the rectangle it was drawn in.
imaging::Rect DrawButtonCaption(imaging::Canvas& dc, const imaging::Rect& r0,
                                std::string_view caption, bool disabled,
                                const CaptionColors& colors, ui::TextPainter& text);

}  // namespace nimbo
