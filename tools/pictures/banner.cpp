// The banner across the top of the main window: the product name on the left, the two
// makers' emblems and web addresses on the right, on a blue band.
#include "banner.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <algorithm>
#include <iterator>

#include "icons/icon_sizes.h"
#include "svg_image.h"

namespace nimbo::render {
namespace {

using resources::kBannerHeight;
using resources::kBannerWidth;

constexpr int kLogoSize = 44;
constexpr int kRightMargin = 14;
constexpr int kMakerGap = 22;
constexpr int kLogoTextGap = 8;

struct Maker {
    const char* logo;
    const char* name;     // UTF-8
    const char* address;  // shown without the scheme, as a banner would print it
};

constexpr Maker kMakers[] = {
    {"logo_kelvo.svg", "Kelvo手机网", "www.kelvo.example"},
    {"logo_tarnwick.svg", "Tarnwick", "www.tarnwick.example"},
};

// Fonts are named outright, not left to the style hint, so the picture is the same on every
// run on one machine. The CJK faces carry Latin letters too; DejaVu is the last resort.
QFont BannerFont(const QStringList& families, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont NameFont() {
    return BannerFont({"Noto Sans CJK SC", "AR PL UMing CN", "DejaVu Sans"}, 16, true);
}

QFont AddressFont() {
    return BannerFont({"DejaVu Sans", "Noto Sans CJK SC"}, 12, false);
}

void PaintBand(QPainter& painter) {
    QLinearGradient band(0, 0, 0, kBannerHeight);
    band.setColorAt(0.0, QColor(0x5c, 0xa8, 0xf5));
    band.setColorAt(0.5, QColor(0x1f, 0x5f, 0xc8));
    band.setColorAt(1.0, QColor(0x0b, 0x2d, 0x7a));
    painter.fillRect(0, 0, kBannerWidth, kBannerHeight, band);

    // A soft gloss over the upper half and a few wide arcs give the flat band some depth.
    QLinearGradient gloss(0, 0, 0, kBannerHeight / 2);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 10));
    painter.fillRect(0, 0, kBannerWidth, kBannerHeight / 2, gloss);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255, 28 - i * 6), 10 - i * 3));
        painter.drawEllipse(QPointF(150 + i * 90, 150), 260 - i * 30, 110);
    }
    painter.setPen(QPen(QColor(0x9c, 0xd0, 0xff), 1));
    painter.drawLine(0, kBannerHeight - 2, kBannerWidth, kBannerHeight - 2);
    painter.setPen(QPen(QColor(0x06, 0x1c, 0x52), 1));
    painter.drawLine(0, kBannerHeight - 1, kBannerWidth, kBannerHeight - 1);
}

void PaintProductName(QPainter& painter) {
    QFont font = BannerFont({"DejaVu Sans"}, 54, true);
    font.setItalic(true);
    QPainterPath name;
    name.addText(QPointF(24, 62), font, QStringLiteral("Nimbo"));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(name.translated(3, 3), QColor(0, 0, 0, 90));

    QLinearGradient fill(0, 18, 0, 62);
    fill.setColorAt(0.0, QColor(0xff, 0xe0, 0x60));
    fill.setColorAt(0.55, QColor(0xff, 0x9a, 0x1a));
    fill.setColorAt(1.0, QColor(0xf0, 0x68, 0x00));
    painter.setPen(QPen(QColor(0x6e, 0x2a, 0x00), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(name);
}

int MakerWidth(const Maker& maker) {
    const int name = QFontMetrics(NameFont()).horizontalAdvance(QString::fromUtf8(maker.name));
    const int address = QFontMetrics(AddressFont()).horizontalAdvance(maker.address);
    return kLogoSize + kLogoTextGap + std::max(name, address);
}

void PaintMaker(QPainter& painter, const Maker& maker, const QImage& logo, int left) {
    const int top = (kBannerHeight - kLogoSize) / 2;
    painter.drawImage(left, top, logo);
    const int textLeft = left + kLogoSize + kLogoTextGap;

    painter.setFont(NameFont());
    painter.setPen(QColor(0, 0, 0, 110));
    painter.drawText(textLeft + 1, top + 19, QString::fromUtf8(maker.name));
    painter.setPen(Qt::white);
    painter.drawText(textLeft, top + 18, QString::fromUtf8(maker.name));

    painter.setFont(AddressFont());
    painter.setPen(QColor(0xd8, 0xec, 0xff));
    painter.drawText(textLeft, top + 38, QString::fromLatin1(maker.address));
}

}  // namespace

QImage PaintBanner(const QString& svgDir) {
    QImage logos[std::size(kMakers)];
    for (std::size_t i = 0; i < std::size(kMakers); ++i) {
        logos[i] = RenderSvgImage(QDir(svgDir).filePath(QString::fromLatin1(kMakers[i].logo)),
                                  QSize(kLogoSize, kLogoSize));
        if (logos[i].isNull()) {
            return {};
        }
    }
    QImage canvas(kBannerWidth, kBannerHeight, QImage::Format_RGB32);
    {
        QPainter painter(&canvas);
        PaintBand(painter);
        PaintProductName(painter);

        // Laid out from the right edge so the longer address never runs off the bitmap.
        int right = kBannerWidth - kRightMargin;
        for (int i = static_cast<int>(std::size(kMakers)) - 1; i >= 0; --i) {
            const int width = MakerWidth(kMakers[i]);
            PaintMaker(painter, kMakers[i], logos[i], right - width);
            right -= width + kMakerGap;
        }
    }
    return canvas;
}

}  // namespace nimbo::render
