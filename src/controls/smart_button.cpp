#include "controls/smart_button.h"

#include <string>

#include "controls/button_content.h"
#include "icons/icons.h"

using nimbo::ButtonState;
using nimbo::ContentLayout;
using nimbo::DrawButtonCaption;
using nimbo::IconLayoutSize;
using nimbo::LayOutButtonContent;
namespace imaging = nimbo::imaging;
namespace ui = nimbo::ui;

using imaging::Canvas;
using imaging::Rect;

CSmartButton::CSmartButton() {
    for (ColorPair& p : pairs_) p = {colors_.buttonFace, colors_.buttonText};
}

CSmartButton::~CSmartButton() = default;

void CSmartButton::OnAttached() {
    // The looks follow the system colours the button was created with.
    colors_ = Host()->Colors();
    for (ColorPair& p : pairs_) p = {colors_.buttonFace, colors_.buttonText};
    snapshot_.reset();
}

void CSmartButton::Redraw() {
    if (Host()) Host()->Invalidate();
}

void CSmartButton::SetIconById(int id) {
    SetIconHandle(nimbo::resources::LoadIcon(id));
}

int CSmartButton::SetIconHandle(const Canvas& icon) {
    icon_ = icon;
    iconPainter_.reset();
    iconLayout_ = {};
    if (HasIcon()) iconLayout_ = IconLayoutSize({icon_.Width(), icon_.Height()});
    Redraw();
    return 0;
}

void CSmartButton::SetButtonStyle(unsigned style, bool redraw) {
    const unsigned type = style & 0xF;
    if (type == kDefPushButton) isDefault_ = true;
    if (type == kPushButton) isDefault_ = false;
    style_ = (style & ~0x4u) | kOwnerDraw;
    if (redraw) Redraw();
}

unsigned CSmartButton::DialogCode() const {
    return kDlgcButton | (isDefault_ ? kDlgcDefPushButton : kDlgcUndefPushButton);
}

bool CSmartButton::OnClicked() {
    if (Host()) Host()->Self().SetFocus();
    return false;
}

ButtonState CSmartButton::CurrentState() const {
    return {hot_, pressed_, focused_, disabled_, isDefault_};
}

ui::SystemColors CSmartButton::ColorsNow() const {
    return Host() ? Host()->Colors() : ui::SystemColors{};
}

int CSmartButton::DrawBackground(Canvas& dc, const Rect& rect) {
    const ColorPair& p = (hot_ || pressed_) ? pairs_[0] : focused_ ? pairs_[2] : pairs_[1];
    dc.FillRect(rect, p.background);
    return 0;
}

int CSmartButton::DrawBorder(Canvas& dc, const Rect& rect) {
    const ui::SystemColors now = ColorsNow();
    if (pressed_) {
        dc.Frame3d(rect, now.buttonShadow, now.buttonHighlight);
    } else {
        dc.Frame3d(rect, now.buttonHighlight, now.buttonShadow);
    }
    return 0;
}

void CSmartButton::DrawItem(Canvas& dc, const Rect& item, unsigned itemState) {
    pressed_ = itemState & kStateSelected;
    focused_ = itemState & kStateFocus;
    disabled_ = itemState & kStateDisabled;
    const Rect rc = item;
    DrawBackground(dc, rc);
    if (pressed_ || hot_) DrawBorder(dc, rc);
    if (!Host()) return;

    const std::string caption = Host()->Self().Text();
    const ContentLayout place =
        LayOutButtonContent(item, HasIcon() ? &iconLayout_ : nullptr, !caption.empty());
    // Emboss colours are the system's at the time of painting.
    const ui::SystemColors now = ColorsNow();
    if (HasIcon()) {
        if (!iconPainter_) iconPainter_ = Host()->MakeIconPainter(icon_);
        iconPainter_->Draw(dc, place.iconTopLeft, disabled_, now.buttonHighlight, now.buttonShadow);
    }
    if (!caption.empty()) {
        const imaging::Color ink = (hot_ || pressed_) ? pairs_[0].foreground : pairs_[1].foreground;
        DrawButtonCaption(dc, place.captionRect, caption, disabled_,
                          {ink, now.buttonHighlight, now.buttonShadow}, Host()->Text());
    }
}

unsigned CSmartButton::ItemState() const {
    unsigned s = 0;
    if (!Host()) return s;
    if (Host()->IsPressed()) s |= kStateSelected;
    if (Host()->Self().HasFocus()) s |= kStateFocus;
    if (!Host()->Self().IsEnabled()) s |= kStateDisabled;
    return s;
}

void CSmartButton::PaintParentSnapshot(Canvas& dc) {
    if (!snapshot_) snapshot_ = Host() ? Host()->Background() : Canvas();
    const imaging::Size size =
        Host() ? Host()->ClientSize() : imaging::Size{snapshot_->Width(), snapshot_->Height()};
    dc.BlockCopy({0, 0, size.width, size.height}, *snapshot_, {0, 0});
}

void CSmartButton::Paint(Canvas& surface) {
    DrawItem(surface, {0, 0, surface.Width(), surface.Height()}, ItemState());
}

void CSmartButton::OnPointerMove(const ui::PointerMove& move) {
    // A drag that comes in from elsewhere does not light the button.
    if (move.leftDown && !hot_) return;
    if (Host() && Host()->PointerOver()) {
        if (hot_) return;
        hot_ = true;
        Redraw();
        if (onHotChanged) onHotChanged(true);
    } else {
        ClearHot();
    }
}

void CSmartButton::OnPointerLeave() {
    ClearHot();
}

void CSmartButton::OnFocusChanged(bool focused) {
    if (!focused) ClearHot();
}

void CSmartButton::OnEnabledChanged(bool enabled, bool byProgram) {
    // Disabling the whole window is not the button being disabled.
    if (enabled || !byProgram) return;
    if (Host()) Host()->FocusNextTabStop();
    ClearHot();
}

void CSmartButton::OnDeactivated() {
    ClearHot();
}

void CSmartButton::OnColorsChanged() {
    // The window may look different now: take a new picture at the next paint.
    snapshot_.reset();
}

void CSmartButton::OnResized() {
    // A picture of the old size cannot cover the new one.
    snapshot_.reset();
}

void CSmartButton::ClearHot() {
    if (!hot_) return;
    hot_ = false;
    Redraw();
    if (onHotChanged) onHotChanged(false);
}
