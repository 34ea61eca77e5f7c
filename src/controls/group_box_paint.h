#pragma once
// Painting of the themed group box: a rounded frame with a title, either
// running through the title's middle (plain look) or with the title in a
// filled band over a filled body (banded look).
#include <string_view>

#include "imaging/canvas.h"
#include "ui/text_painter.h"

namespace nimbo {

enum class TitleAlignment { Left = 0, Center = 1, Right = 2 };

// Any value other than centre or right aligns left.
TitleAlignment TitleAlignmentFromInt(int value);

struct GroupBoxLook {
    imaging::Color frame;
    imaging::Color band;
    imaging::Color body;
    imaging::Color title;
    bool banded = false;
    TitleAlignment alignment = TitleAlignment::Left;
};

// r is the client rectangle shrunk by one pixel; text is the title's extent.
imaging::Rect GroupBoxTitleRect(const imaging::Rect& r, imaging::Size text, bool banded,
                                TitleAlignment alignment);

// title already carries its surrounding blanks; an empty title measures 0 x 0.
// The font is whatever `text` measures and draws with.
void PaintGroupBox(imaging::Canvas& dc, const imaging::Rect& client, std::string_view title,
                   const GroupBoxLook& look, ui::TextPainter& text);

}  // namespace nimbo
