#pragma once
// CCJFlatComboBox: a combo box with a flat look. Its frame blends into the
// dialog until the pointer is over it or it has the focus, when it turns "hot"
// (a thin sunken frame and a raised drop-down button); the button shows
// pressed while the left mouse button is held. Hover is followed by a 10 ms
// timer that pointer moves start. Editable boxes complete typed text from the
// list, and Alt+character keys are kept from the dialog.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/combo_frame.h"
#include "ui/custom_control.h"
#include "ui/timer.h"

class CCJFlatComboBox : public nimbo::ui::CustomControl {
public:
    CCJFlatComboBox();
    ~CCJFlatComboBox() override;

    nimbo::ui::CustomKind Kind() const override { return nimbo::ui::CustomKind::ComboBox; }

    // The list, as the window fills and reads it (nothing before the box exists).
    int AddString(const std::string& utf8);
    void ResetContent();
    int GetCount() const;
    // -1 when nothing is chosen.
    int GetCurSel() const;
    void SetCurSel(int index);
    std::string GetLBText(int index) const;
    // The chosen item's text, or the edit field's.
    std::string CurrentText() const;

    int ThumbWidth() const;
    bool LeftButtonDown() const { return leftButtonDown_; }
    bool DrawnHot() const { return drawnHot_; }
    bool HasFocusFlag() const { return hasFocus_; }
    bool AutoComplete() const { return autoComplete_; }
    bool HoverTimerActive() const { return hoverTimer_ && hoverTimer_->IsActive(); }
    // The states drawn by hover and focus tracking, oldest first.
    const std::vector<nimbo::ComboFrameState>& DrawnStates() const { return drawnStates_; }
    // The state the last paint gave the frame.
    nimbo::ComboFrameState PaintedState() const { return paintedState_; }
    nimbo::ComboColors Colors() const { return colors_; }

    void Paint(nimbo::imaging::Canvas& surface) override;
    void OnAttached() override;
    void OnPointerMove(const nimbo::ui::PointerMove& move) override;
    void OnLeftDown() override;
    void OnLeftUp() override;
    void OnFocusChanged(bool focused) override;
    void OnColorsChanged() override;
    bool OnKey(const nimbo::ui::KeyPress& key) override;
    void OnEditTextEdited(const std::u16string& text) override;
    void OnPopupHidden() override;

private:
    nimbo::ui::ComboBox* List() const;
    void OnTimer();
    void ReadColors();
    bool CursorInside() const;
    void DrawFrame(nimbo::ComboFrameState state);

    std::unique_ptr<nimbo::ui::Timer> hoverTimer_;
    bool leftButtonDown_ = false;
    bool drawnHot_ = false;
    bool hasFocus_ = false;
    bool autoComplete_ = true;
    bool skipNextCompletion_ = false;
    nimbo::ComboColors colors_{};
    std::optional<nimbo::ComboFrameState> pending_;
    nimbo::ComboFrameState paintedState_ = nimbo::ComboFrameState::Flat;
    std::vector<nimbo::ComboFrameState> drawnStates_;
};
