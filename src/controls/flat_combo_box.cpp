#include "controls/flat_combo_box.h"

#include <chrono>

#include "controls/combo_completion.h"

using nimbo::ComboFramePair;
using nimbo::ComboFrameState;
using nimbo::CompleteTypedText;
using nimbo::DrawComboFrame;
using nimbo::EditCompletion;
using nimbo::FramePair;
namespace imaging = nimbo::imaging;
namespace ui = nimbo::ui;

CCJFlatComboBox::CCJFlatComboBox() = default;
CCJFlatComboBox::~CCJFlatComboBox() = default;

void CCJFlatComboBox::OnAttached() {
    ReadColors();
    hoverTimer_ = Host()->MakeTimer(std::chrono::milliseconds(10), [this] { OnTimer(); });
}

ui::ComboBox* CCJFlatComboBox::List() const {
    ui::ComboHost* combo = Host() ? Host()->Combo() : nullptr;
    return combo ? &combo->List() : nullptr;
}

int CCJFlatComboBox::AddString(const std::string& utf8) {
    return List() ? List()->AddString(utf8) : -1;
}
void CCJFlatComboBox::ResetContent() {
    if (List()) List()->ResetContent();
}
int CCJFlatComboBox::GetCount() const {
    return List() ? List()->GetCount() : 0;
}
int CCJFlatComboBox::GetCurSel() const {
    return List() ? List()->GetCurSel() : -1;
}
void CCJFlatComboBox::SetCurSel(int index) {
    if (List()) List()->SetCurSel(index);
}
std::string CCJFlatComboBox::GetLBText(int index) const {
    return List() ? List()->GetLBText(index) : std::string();
}
std::string CCJFlatComboBox::CurrentText() const {
    return List() ? List()->Text() : std::string();
}

int CCJFlatComboBox::ThumbWidth() const {
    ui::ComboHost* combo = Host() ? Host()->Combo() : nullptr;
    return combo ? combo->ThumbWidth() : 16;
}

void CCJFlatComboBox::ReadColors() {
    const ui::SystemColors s = Host()->Colors();
    colors_ = {s.buttonHighlight, s.buttonShadow, s.buttonFace};
}

void CCJFlatComboBox::OnColorsChanged() {
    ReadColors();
}

bool CCJFlatComboBox::CursorInside() const {
    return Host() && Host()->PointerInside();
}

void CCJFlatComboBox::DrawFrame(ComboFrameState state) {
    drawnStates_.push_back(state);
    pending_ = state;
    if (!Host()) return;
    if (Host()->Self().IsVisible()) {
        Host()->RepaintNow();
    } else {
        Host()->Invalidate();
    }
}

void CCJFlatComboBox::OnPointerMove(const ui::PointerMove&) {
    // The button state comes from OnLeftDown/OnLeftUp: a press that opened
    // the list is still held when its release lands in the list.
    if (hoverTimer_) hoverTimer_->Start();
    OnTimer();
}

void CCJFlatComboBox::OnTimer() {
    if (!Host()) {
        // The box is gone; nothing left to follow.
        if (hoverTimer_) hoverTimer_->Stop();
        return;
    }
    if (leftButtonDown_) {
        hoverTimer_->Stop();
        if (drawnHot_) {
            DrawFrame(ComboFrameState::Pressed);
            drawnHot_ = false;
        }
        return;
    }
    if (CursorInside() || hasFocus_) {
        if (drawnHot_) return;
        drawnHot_ = true;
        DrawFrame(ComboFrameState::Hot);
        return;
    }
    hoverTimer_->Stop();
    if (drawnHot_) {
        DrawFrame(ComboFrameState::Flat);
        drawnHot_ = false;
    }
}

void CCJFlatComboBox::OnLeftDown() {
    leftButtonDown_ = true;
}

void CCJFlatComboBox::OnLeftUp() {
    leftButtonDown_ = false;
    if (Host()) Host()->Invalidate();
}

void CCJFlatComboBox::OnFocusChanged(bool focused) {
    // The box counts as focused while it or its edit field has the focus.
    if (focused == hasFocus_) return;
    hasFocus_ = focused;
    DrawFrame(focused ? ComboFrameState::Hot : ComboFrameState::Flat);
}

bool CCJFlatComboBox::OnKey(const ui::KeyPress& key) {
    if (ui::IsAltCharacter(key)) return true;
    // Erasing must not bring the erased tail straight back.
    if (!key.shortcutCheck && (key.key == ui::Key::Backspace || key.key == ui::Key::Delete)) {
        skipNextCompletion_ = true;
    }
    return false;
}

void CCJFlatComboBox::OnEditTextEdited(const std::u16string& text) {
    ui::ComboHost* combo = Host() ? Host()->Combo() : nullptr;
    if (!autoComplete_ || !combo || !combo->HasEditField()) return;
    if (skipNextCompletion_) {
        skipNextCompletion_ = false;
        return;
    }
    int start = combo->EditCursor();
    int end = start;
    if (combo->EditHasSelection()) {
        start = combo->EditSelectionStart();
        end = start + combo->EditSelectionLength();
    }
    std::vector<std::u16string> items;
    const int count = combo->List().GetCount();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(combo->ItemText16(i));
    const EditCompletion c = CompleteTypedText(items, text, start, end);
    if (c.item) combo->List().SetCurSel(*c.item);
    combo->SetEditText(c.text);
    combo->SetEditSelection(c.selectionStart, c.selectionEnd);
}

void CCJFlatComboBox::OnPopupHidden() {
    // The button-up that ends a click lands in the list, not in the box.
    if (!leftButtonDown_) return;
    leftButtonDown_ = false;
    if (Host()) Host()->Invalidate();
}

void CCJFlatComboBox::Paint(imaging::Canvas& surface) {
    ComboFrameState state;
    if (pending_) {
        state = *pending_;
        pending_.reset();
    } else {
        state = (CursorInside() || hasFocus_) ? ComboFrameState::Hot : ComboFrameState::Flat;
    }
    paintedState_ = state;
    // The frame is laid over the box the window system drew: what it does not
    // cover stays see-through.
    surface.Fill(imaging::Canvas::kTransparent);
    const int w = surface.Width();
    const int h = surface.Height();
    const FramePair pair = ComboFramePair(state, colors_);
    const bool enabled = Host() && Host()->Self().IsEnabled();
    DrawComboFrame(surface, {0, 0, w, h}, state, pair.topLeft, pair.bottomRight, colors_, enabled,
                   ThumbWidth());
}
