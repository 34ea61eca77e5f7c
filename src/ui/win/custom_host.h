#pragma once
// The window of a custom control (ui/custom_control.h) on Win32. Push
// buttons, frames and pictures get a window of the kit's class that paints the
// control's surface; a combo box is the system's COMBOBOX, subclassed, with
// the surface laid over what it paints. The host passes the pointer, the
// focus, the keys and the enabled state on to the control.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "imaging/canvas.h"
#include "ui/custom_control.h"
#include "ui/dialog_template.h"
#include "ui/win/combo_control.h"

namespace nimbo::ui::win {

class CustomHostWindow final : public CustomHost, public ComboHost {
public:
    // `siblings`: the hosts created before this one (it is appended), whose
    // surfaces show through its background.
    CustomHostWindow(CustomControl& control, const ControlTemplate& c, HWND parent,
                     const imaging::Rect& bounds, const FontSpec& font,
                     std::vector<CustomHostWindow*>& siblings, std::function<void()> onCommand);
    ~CustomHostWindow() override;

    HWND Hwnd() const { return hwnd_; }
    // Frames paint their whole rectangle and must lie beneath what they frame.
    bool IsFrame() const { return kind_ == CustomKind::Frame; }
    Control* SelfControl() const { return self_.get(); }
    // The box's WM_COMMAND notification (CBN_...) from the window.
    void ComboNotified(int code);
    // The window lost activation.
    void Deactivated() {
        if (control_) control_->OnDeactivated();
    }
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp, const std::function<LRESULT()>& byDefault);

    // CustomHost
    Control& Self() override { return *self_; }
    const Control& Self() const override { return *self_; }
    void Invalidate() override;
    void RepaintNow() override;
    void InvalidateWithParent() override;
    imaging::Size ClientSize() const override;
    bool IsPressed() const override { return pressed_; }
    bool PointerOver() const override;
    bool PointerInside() const override;
    void FocusNextTabStop() override;
    imaging::Canvas Background() const override;
    SystemColors Colors() const override;
    TextPainter& Text() override { return *text_; }
    std::unique_ptr<TextPainter> MakeTextPainter(const FontSpec& font) override;
    FontSpec Font() const override { return font_; }
    std::unique_ptr<IconPainter> MakeIconPainter(const imaging::Canvas& icon) override;
    void Click() override { Clicked(); }
    std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                     std::function<void()> tick) override;
    ComboHost* Combo() override { return combo_ ? this : nullptr; }

    // ComboHost
    ComboBox& List() override { return *combo_; }
    int ThumbWidth() const override;
    bool HasEditField() const override { return Edit() != nullptr; }
    std::u16string EditText() const override;
    void SetEditText(const std::u16string& text) override;
    int EditCursor() const override;
    void SetEditSelection(int start, int end) override;
    bool EditHasSelection() const override;
    int EditSelectionStart() const override;
    int EditSelectionLength() const override;
    std::u16string ItemText16(int index) const override;

private:
    void Paint(HDC dc);
    void Clicked();
    HWND Edit() const;
    const imaging::Canvas& Surface() const { return surface_; }

    CustomControl* control_;
    CustomKind kind_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<Control> self_;
    Win32ComboBox* combo_ = nullptr;
    FontSpec font_;
    std::unique_ptr<TextPainter> text_;
    std::vector<CustomHostWindow*>& siblings_;
    std::function<void()> onCommand_;
    imaging::Canvas surface_;
    bool pressed_ = false;
    bool tracking_ = false;
    bool captured_ = false;
};

}  // namespace nimbo::ui::win
