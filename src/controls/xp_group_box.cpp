#include "controls/xp_group_box.h"

#include <algorithm>

#include "controls/group_box_paint.h"

using nimbo::GroupBoxLook;
using nimbo::PaintGroupBox;
using nimbo::TitleAlignmentFromInt;
namespace imaging = nimbo::imaging;
namespace ui = nimbo::ui;

using imaging::Color;

namespace {

std::string Padded(const std::string& text) {
    return " " + text + " ";
}

// The longest prefix of `utf8` that takes at most `units` UTF-16 code units.
std::string CutToUtf16Units(const std::string& utf8, int units) {
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        // Four-byte sequences lie outside the basic plane: a surrogate pair.
        units -= length == 4 ? 2 : 1;
        if (units < 0) break;
        i += length;
    }
    return utf8.substr(0, std::min(i, utf8.size()));
}

}  // namespace

void CXPGroupBox::OnAttached() {
    const ui::SystemColors s = Host()->Colors();
    defaultFrame_ = s.buttonShadow;
    defaultFill_ = s.buttonFace;
    defaultTitle_ = s.windowText;
}

Color CXPGroupBox::FrameColor() const {
    return frameColor_.value_or(defaultFrame_);
}
Color CXPGroupBox::BandColor() const {
    return bandColor_.value_or(defaultFill_);
}
Color CXPGroupBox::BodyColor() const {
    return bodyColor_.value_or(defaultFill_);
}
Color CXPGroupBox::TitleColor() const {
    return titleColor_.value_or(defaultTitle_);
}

ui::FontSpec CXPGroupBox::TitleFont() const {
    if (titleFont_) return *titleFont_;
    return Host() ? Host()->Font() : ui::FontSpec{};
}

ui::FontSpec& CXPGroupBox::EditableTitleFont() {
    if (!titleFont_) titleFont_ = TitleFont();
    return *titleFont_;
}

CXPGroupBox& CXPGroupBox::SetFrameColor(Color color) {
    frameColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleColor(Color color) {
    titleColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColors(Color band, Color body) {
    bandColor_ = band;
    bodyColor_ = body;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetFillColor(Color color) {
    bandColor_ = bodyColor_ = color;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetBanded(int banded) {
    banded_ = banded;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitle(const std::string& text) {
    title_ = Padded(text);
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleBold(bool bold) {
    EditableTitleFont().bold = bold;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleFontName(const std::string& name, int charset) {
    charset_ = charset & 0xFF;
    EditableTitleFont().families = {CutToUtf16Units(name, 31)};
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleUnderline(unsigned char underline) {
    EditableTitleFont().underline = underline != 0;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleItalic(unsigned char italic) {
    EditableTitleFont().italic = italic != 0;
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitlePointSize(int points) {
    if (points > 0) {
        ui::FontSpec& font = EditableTitleFont();
        font.pointSize = points;
        font.pixelSize = 0;
    }
    RedrawWithParent();
    return *this;
}

CXPGroupBox& CXPGroupBox::SetTitleFont(const ui::FontSpec& font) {
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
    if (Host()) Host()->InvalidateWithParent();
}

void CXPGroupBox::Paint(imaging::Canvas& surface) {
    if (!Host()) return;
    if (title_.empty()) {
        const std::string text = Host()->Self().Text();
        if (!text.empty()) title_ = Padded(text);
    }
    // Only the frame, band and title are the box's: everywhere else the
    // window beneath shows through.
    surface.Fill(imaging::Canvas::kTransparent);
    const GroupBoxLook look{FrameColor(), BandColor(),  BodyColor(),
                            TitleColor(), banded_ != 0, TitleAlignmentFromInt(alignment_)};
    const imaging::Rect client{0, 0, surface.Width(), surface.Height()};
    if (titleFont_) {
        PaintGroupBox(surface, client, title_, look, *Host()->MakeTextPainter(*titleFont_));
    } else {
        PaintGroupBox(surface, client, title_, look, Host()->Text());
    }
}
