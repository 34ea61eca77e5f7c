#pragma once
// A text painter with a fixed 6 x 12 cell per character, so text geometry is
// known exactly. Drawing marks only the block's top-left pixel, leaving the
// pixels around it for the test to check.
#include <string>
#include <vector>

#include "ui/text_painter.h"

namespace nimbo::testing {

struct DrawnText {
    imaging::Rect rect;
    std::string text;
    imaging::Color color;
    ui::TextFormat format;
};

class FakeTextPainter : public ui::TextPainter {
public:
    static constexpr int kCellWidth = 6;
    static constexpr int kCellHeight = 12;

    static int CodePoints(std::string_view s) {
        int n = 0;
        for (unsigned char c : s) n += (c & 0xC0) != 0x80;
        return n;
    }

    imaging::Size Measure(std::string_view utf8, int wrapWidth, ui::TextFormat format) override {
        const int chars = CodePoints(utf8);
        if (format == ui::TextFormat::SingleLineVCenterNoClip || wrapWidth <= 0) {
            return {chars * kCellWidth, kCellHeight};
        }
        const int perLine = std::max(1, wrapWidth / kCellWidth);
        const int lines = (chars + perLine - 1) / perLine;
        return {std::min(chars, perLine) * kCellWidth, lines * kCellHeight};
    }

    void Draw(imaging::Canvas& canvas, const imaging::Rect& rect, std::string_view utf8,
              imaging::Color color, ui::TextFormat format) override {
        drawn.push_back({rect, std::string(utf8), color, format});
        int y = rect.top;
        if (format == ui::TextFormat::SingleLineVCenterNoClip) {
            y += (rect.Height() - kCellHeight) / 2;
        }
        canvas.SetPixel(rect.left, y, color);
    }

    std::vector<DrawnText> drawn;
};

}  // namespace nimbo::testing
