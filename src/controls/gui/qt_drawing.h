#pragma once
// The toolkit side of control drawing: a canvas seen as an image, text and
// icons drawn into a canvas's own memory, and the system colours taken from a
// palette.
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "controls/system_colors.h"
#include "controls/text_painter.h"
#include "platform/canvas.h"

namespace nimbo {

// An image over the canvas's pixels (no copy); valid while the canvas lives
// and is not resized.
QImage CanvasImage(platform::Canvas& canvas);

platform::Color ToColor(const QColor& c);
QColor ToQColor(platform::Color c);

// Button face is the window colour (what dialogs are filled with), shadow and
// highlight are the palette's dark and light 3-D colours.
SystemColors SystemColorsFrom(const QPalette& palette);

class QtTextPainter : public TextPainter {
public:
    explicit QtTextPainter(const QFont& font) : font_(font) {}
    platform::Size Measure(std::string_view utf8, int wrapWidth, TextFormat format) override;
    void Draw(platform::Canvas& canvas, const platform::Rect& rect, std::string_view utf8,
              platform::Color color, TextFormat format) override;

private:
    QFont font_;
};

class QtIconPainter : public IconPainter {
public:
    explicit QtIconPainter(const QPixmap& icon) : icon_(icon) {}
    void Draw(platform::Canvas& canvas, platform::Point at, bool disabled,
              platform::Color highlight, platform::Color shadow) override;

private:
    QPixmap icon_;
};

}  // namespace nimbo
