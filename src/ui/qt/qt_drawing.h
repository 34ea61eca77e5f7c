#pragma once
// The toolkit side of control drawing: a canvas seen as an image, text and
// icons drawn into a canvas's own memory, the system colours taken from a
// palette, and fonts by description.
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "imaging/canvas.h"
#include "ui/custom_control.h"
#include "ui/system_colors.h"
#include "ui/text_painter.h"

namespace nimbo::ui::qt {

// An image over the canvas's pixels (no copy); valid while the canvas lives
// and is not resized.
QImage CanvasImage(imaging::Canvas& canvas);

imaging::Color ToColor(const QColor& c);
QColor ToQColor(imaging::Color c);

// Button face is the window colour (what dialogs are filled with), shadow and
// highlight are the palette's dark and light 3-D colours.
SystemColors SystemColorsFrom(const QPalette& palette);

// A font as `described`, with everything the description leaves open
// at the application's defaults.
QFont ToQFont(const FontSpec& described);
// The description of `font`: a pixel-sized font keeps its pixel size.
FontSpec ToFontSpec(const QFont& font);

class QtTextPainter : public TextPainter {
public:
    explicit QtTextPainter(const QFont& font) : font_(font) {}
    imaging::Size Measure(std::string_view utf8, int wrapWidth, TextFormat format) override;
    void Draw(imaging::Canvas& canvas, const imaging::Rect& rect, std::string_view utf8,
              imaging::Color color, TextFormat format) override;

private:
    QFont font_;
};

class QtIconPainter : public IconPainter {
public:
    explicit QtIconPainter(const QPixmap& icon) : icon_(icon) {}
    void Draw(imaging::Canvas& canvas, imaging::Point at, bool disabled, imaging::Color highlight,
              imaging::Color shadow) override;

private:
    QPixmap icon_;
};

}  // namespace nimbo::ui::qt
