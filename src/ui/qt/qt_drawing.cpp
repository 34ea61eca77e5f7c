#include "ui/qt/qt_drawing.h"

#include <QFontMetrics>
#include <QPainter>

namespace nimbo::ui::qt {

using imaging::Canvas;
using imaging::Color;
using imaging::Rect;

QImage CanvasImage(Canvas& canvas) {
    return QImage(reinterpret_cast<uchar*>(canvas.Bits()), canvas.Width(), canvas.Height(),
                  canvas.BytesPerLine(), QImage::Format_ARGB32_Premultiplied);
}

Color ToColor(const QColor& c) {
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

QColor ToQColor(Color c) {
    return QColor(c.r, c.g, c.b);
}

SystemColors SystemColorsFrom(const QPalette& palette) {
    auto get = [&](QPalette::ColorRole role) {
        return ToColor(palette.color(QPalette::Active, role));
    };
    SystemColors s;
    s.buttonFace = get(QPalette::Window);
    s.buttonText = get(QPalette::ButtonText);
    s.buttonShadow = get(QPalette::Dark);
    s.buttonHighlight = get(QPalette::Light);
    s.windowText = get(QPalette::WindowText);
    return s;
}

QFont ToQFont(const FontSpec& described) {
    QFont font;
    if (!described.families.empty()) {
        QStringList families;
        for (const std::string& f : described.families) families << QString::fromStdString(f);
        font.setFamilies(families);
    }
    if (described.pixelSize > 0) {
        font.setPixelSize(described.pixelSize);
    } else if (described.pointSize > 0) {
        font.setPointSize(described.pointSize);
    }
    font.setWeight(described.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(described.italic);
    font.setUnderline(described.underline);
    return font;
}

FontSpec ToFontSpec(const QFont& font) {
    FontSpec described;
    QStringList families = font.families();
    if (families.isEmpty() && !font.family().isEmpty()) families << font.family();
    for (const QString& f : families) described.families.push_back(f.toStdString());
    if (font.pixelSize() > 0) {
        described.pixelSize = font.pixelSize();
    } else if (font.pointSize() > 0) {
        described.pointSize = font.pointSize();
    }
    described.bold = font.bold();
    described.italic = font.italic();
    described.underline = font.underline();
    return described;
}

namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A painter on the canvas in its logical coordinates, limited to its clip box.
class CanvasPainter {
public:
    explicit CanvasPainter(Canvas& canvas) : image_(CanvasImage(canvas)), painter_(&image_) {
        painter_.translate(-canvas.Origin().x, -canvas.Origin().y);
        const Rect clip = canvas.ClipBox();
        painter_.setClipRect(QRect(clip.left, clip.top, clip.Width(), clip.Height()));
    }
    QPainter& operator*() { return painter_; }
    QPainter* operator->() { return &painter_; }

private:
    QImage image_;
    QPainter painter_;
};

}  // namespace

imaging::Size QtTextPainter::Measure(std::string_view utf8, int wrapWidth, TextFormat format) {
    const QFontMetrics fm(font_);
    const QString text = Text(utf8);
    if (format == TextFormat::SingleLineVCenterNoClip) {
        return {fm.horizontalAdvance(text), fm.height()};
    }
    const QRect box = fm.boundingRect(QRect(0, 0, std::max(wrapWidth, 1), 1 << 20),
                                      Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return {box.width(), box.height()};
}

void QtTextPainter::Draw(Canvas& canvas, const Rect& rect, std::string_view utf8, Color color,
                         TextFormat format) {
    if (canvas.Width() == 0 || canvas.Height() == 0) return;
    CanvasPainter p(canvas);
    p->setFont(font_);
    p->setPen(ToQColor(color));
    const QRect r(rect.left, rect.top, rect.Width(), rect.Height());
    if (format == TextFormat::SingleLineVCenterNoClip) {
        p->drawText(r, Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                    Text(utf8));
    } else {
        p->drawText(r, Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop, Text(utf8));
    }
}

namespace {

// The icon's shape (its fairly opaque pixels) in one colour.
QImage Silhouette(const QImage& icon, Color color) {
    QImage out(icon.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QRgb ink = qRgb(color.r, color.g, color.b);
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (qAlpha(icon.pixel(x, y)) >= 128) out.setPixel(x, y, ink);
        }
    }
    return out;
}

}  // namespace

void QtIconPainter::Draw(Canvas& canvas, imaging::Point at, bool disabled, Color highlight,
                         Color shadow) {
    if (icon_.isNull() || canvas.Width() == 0 || canvas.Height() == 0) return;
    CanvasPainter p(canvas);
    if (!disabled) {
        p->drawPixmap(at.x, at.y, icon_);
        return;
    }
    // Embossed: the shape in the highlight colour one pixel down-right, then
    // in the shadow colour on top.
    const QImage icon = icon_.toImage().convertToFormat(QImage::Format_ARGB32);
    p->drawImage(at.x + 1, at.y + 1, Silhouette(icon, highlight));
    p->drawImage(at.x, at.y, Silhouette(icon, shadow));
}

}  // namespace nimbo::ui::qt
