#pragma once
// Text and icon output for the control drawing code. The geometry and colours
// stay in plain C++; glyphs and icon pixels come from the toolkit, which
// implements these interfaces by drawing into the canvas's own memory.
#include <string_view>

#include "imaging/canvas.h"

namespace nimbo::ui {

enum class TextFormat {
    // Wrapped at word boundaries, each line centred, top-aligned.
    WordBreakCentered,
    // One line, left-aligned, vertically centred, not clipped to the rectangle.
    SingleLineVCenterNoClip,
};

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Size of the text block: wrapped into wrapWidth for WordBreakCentered,
    // one line (extent and font height) for SingleLineVCenterNoClip.
    virtual imaging::Size Measure(std::string_view utf8, int wrapWidth, TextFormat format) = 0;
    virtual void Draw(imaging::Canvas& canvas, const imaging::Rect& rect, std::string_view utf8,
                      imaging::Color color, TextFormat format) = 0;
};

class IconPainter {
public:
    virtual ~IconPainter() = default;
    // Draws the icon at its own size with its top-left corner at `at`; a
    // disabled icon is drawn embossed in the highlight and shadow colours.
    virtual void Draw(imaging::Canvas& canvas, imaging::Point at, bool disabled,
                      imaging::Color highlight, imaging::Color shadow) = 0;
};

}  // namespace nimbo::ui
