#pragma once
// Pixels between the kit's canvas (premultiplied ARGB, top-down) and GDI:
// bitmaps and icons made from a canvas, a canvas shown in a device context,
// text drawn with GDI into a canvas, icons composited in plain C++.
#include <windows.h>

#include <memory>
#include <string>

#include "imaging/canvas.h"
#include "ui/custom_control.h"
#include "ui/system_colors.h"
#include "ui/text_painter.h"

namespace nimbo::ui::win {

// A 32-bit top-down DIB section holding the canvas's pixels; null for an empty canvas.
HBITMAP MakeBitmap(const imaging::Canvas& canvas);
// An icon with the canvas's alpha; null for an empty canvas.
HICON MakeIcon(const imaging::Canvas& canvas);
// Shows the canvas at (x, y) of the device context, as it is (no blending).
void ShowCanvas(HDC dc, const imaging::Canvas& canvas, int x, int y);
// Lays the canvas over what the device context shows, by its alpha.
void BlendCanvas(HDC dc, const imaging::Canvas& canvas, int x, int y);

// The dialog font of a template (宋体 at its point size, 96 dots per inch).
HFONT MakeFont(const FontSpec& spec);
FontSpec DialogFontSpec(std::string_view face, int pointSize);

SystemColors ReadSystemColors();

// TextPainter over GDI: the text is drawn into a DIB copy of the canvas and
// the pixels it changed are copied back, opaque.
class GdiTextPainter final : public TextPainter {
public:
    explicit GdiTextPainter(const FontSpec& spec);
    ~GdiTextPainter() override;
    imaging::Size Measure(std::string_view utf8, int wrapWidth, TextFormat format) override;
    void Draw(imaging::Canvas& canvas, const imaging::Rect& rect, std::string_view utf8,
              imaging::Color color, TextFormat format) override;

private:
    HFONT font_;
};

// Icons composited onto the canvas in C++; a disabled one embossed.
class CanvasIconPainter final : public IconPainter {
public:
    explicit CanvasIconPainter(imaging::Canvas icon) : icon_(std::move(icon)) {}
    void Draw(imaging::Canvas& canvas, imaging::Point at, bool disabled, imaging::Color highlight,
              imaging::Color shadow) override;

private:
    imaging::Canvas icon_;
};

}  // namespace nimbo::ui::win
