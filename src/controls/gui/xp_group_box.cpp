#include "controls/gui/xp_group_box.h"

#include <QPainter>

#include "controls/group_box_paint.h"
#include "controls/gui/qt_drawing.h"

using nimbo::CanvasImage;
using nimbo::GroupBoxLook;
using nimbo::PaintGroupBox;
using nimbo::QtTextPainter;
using nimbo::TitleAlignmentFromInt;
using nimbo::ToColor;
namespace imaging = nimbo::imaging;

namespace {
QString Padded(const QString& text) {
    return QStringLiteral(" ") + text + QStringLiteral(" ");
}
}  // namespace

CXPGroupBox::CXPGroupBox(QWidget* parent) : QWidget(parent) {
    const QPalette& pal = palette();
    frameColor_ = pal.color(QPalette::Active, QPalette::Dark);
    bandColor_ = pal.color(QPalette::Active, QPalette::Window);
    bodyColor_ = bandColor_;
    titleColor_ = pal.color(QPalette::Active, QPalette::WindowText);
    // Clicks and hover belong to the controls it frames.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QFont CXPGroupBox::TitleFont() const {
    return titleFont_ ? *titleFont_ : font();
}

QFont& CXPGroupBox::EditableTitleFont() {
    if (!titleFont_) titleFont_ = font();
    return *titleFont_;
}

CXPGroupBox& CXPGroupBox::SetFrameColor(const QColor& color) {
    frameColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleColor(const QColor& color) {
    titleColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColors(const QColor& band, const QColor& body) {
    bandColor_ = band;
    bodyColor_ = body;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColor(const QColor& color) {
    bandColor_ = bodyColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBanded(int banded) {
    banded_ = banded;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitle(const QString& text) {
    title_ = Padded(text);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleBold(bool bold) {
    EditableTitleFont().setWeight(bold ? QFont::Bold : QFont::Normal);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleFontName(const QString& name, int charset) {
    // A face name holds at most 31 characters; longer ones are cut there.
    charset_ = charset & 0xFF;
    EditableTitleFont().setFamilies({name.left(31)});
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleUnderline(unsigned char underline) {
    EditableTitleFont().setUnderline(underline != 0);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleItalic(unsigned char italic) {
    EditableTitleFont().setItalic(italic != 0);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitlePointSize(int points) {
    if (points > 0) EditableTitleFont().setPointSize(points);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleFont(const QFont& font) {
    titleFont_ = font;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleAlignment(int alignment) {
    alignment_ = static_cast<int>(TitleAlignmentFromInt(alignment));
    RedrawWithParent();
    return *this;
}

void CXPGroupBox::RedrawWithParent() {
    update();
    if (QWidget* parent = parentWidget()) parent->update(geometry());
}

void CXPGroupBox::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) return;
    if (title_.isEmpty() && !text_.isEmpty()) title_ = Padded(text_);
    imaging::Canvas canvas(width(), height(), imaging::Canvas::kTransparent);
    const GroupBoxLook look{ToColor(frameColor_), ToColor(bandColor_),
                            ToColor(bodyColor_),  ToColor(titleColor_),
                            banded_ != 0,         TitleAlignmentFromInt(alignment_)};
    QtTextPainter text(TitleFont());
    PaintGroupBox(canvas, {0, 0, width(), height()}, title_.toStdString(), look, text);
    QPainter p(this);
    p.drawImage(0, 0, CanvasImage(canvas));
}
