#pragma once
// Controls that draw themselves (skinned buttons, group boxes, the flat combo
// box's frame, the screenshot picture area). The control is plain C++ and
// paints onto a pixel canvas; the backend gives it a window of the right kind
// (CustomHost), feeds it input and shows the finished canvas.
//
//   class MyButton : public ui::CustomControl {
//       ui::CustomKind Kind() const override { return ui::CustomKind::PushButton; }
//       void Paint(imaging::Canvas& surface) override { ... }
//   };
//   // in a window's constructor:  BindControl(ids::kOk, okButton_);
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/canvas.h"
#include "ui/control.h"
#include "ui/keys.h"
#include "ui/system_colors.h"
#include "ui/text_painter.h"
#include "ui/timer.h"

namespace nimbo::ui {

enum class CustomKind {
    PushButton,  // clickable, takes the focus, Space presses it
    Frame,       // frames its siblings: no input, no focus
    Picture,     // shows a picture, no input
    ComboBox,    // a combo box (list, optional edit field) whose frame it draws
};

// A font by description, for controls that draw text in a font of their own.
struct FontSpec {
    std::vector<std::string> families;  // first found wins
    int pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Above 0: the size in pixels, and pointSize does not apply (the dialog
    // font is sized in pixels, and a title font copied from it keeps that).
    int pixelSize = 0;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The combo box part of a CustomKind::ComboBox host.
class ComboHost {
public:
    virtual ~ComboHost() = default;
    virtual ComboBox& List() = 0;
    // Width of the drop-down button area.
    virtual int ThumbWidth() const = 0;
    virtual bool HasEditField() const = 0;
    // The edit field (editable boxes only): text, cursor and selection in
    // UTF-16 code units, as completion works on them.
    virtual std::u16string EditText() const = 0;
    virtual void SetEditText(const std::u16string& text) = 0;
    virtual int EditCursor() const = 0;
    // [start, end); start == end places the cursor.
    virtual void SetEditSelection(int start, int end) = 0;
    virtual bool EditHasSelection() const = 0;
    virtual int EditSelectionStart() const = 0;
    virtual int EditSelectionLength() const = 0;
    virtual std::u16string ItemText16(int index) const = 0;
};

// What the backend offers a custom control.
class CustomHost {
public:
    virtual ~CustomHost() = default;
    // The control as any control: text, enabled, focus, bounds, tags.
    virtual Control& Self() = 0;
    virtual const Control& Self() const = 0;
    // Paint at the next chance / before returning.
    virtual void Invalidate() = 0;
    virtual void RepaintNow() = 0;
    // Also repaints the window beneath the control (a frame that changed look).
    virtual void InvalidateWithParent() = 0;
    virtual imaging::Size ClientSize() const = 0;
    // Push buttons: shown pressed (mouse or Space held).
    virtual bool IsPressed() const = 0;
    // The window's hit test at the pointer finds this control.
    virtual bool PointerOver() const = 0;
    // The pointer lies within the control's rectangle.
    virtual bool PointerInside() const = 0;
    // Moves the focus to the next tab stop of the window (wrapping round),
    // or to the window when there is none.
    virtual void FocusNextTabStop() = 0;
    // What the window shows beneath the control: its background and the
    // siblings created before the control (a group box, say).
    virtual imaging::Canvas Background() const = 0;
    virtual SystemColors Colors() const = 0;
    // Text in the control's own font, or in `font`.
    virtual TextPainter& Text() = 0;
    virtual std::unique_ptr<TextPainter> MakeTextPainter(const FontSpec& font) = 0;
    // The control's own font, as a description a control can change.
    virtual FontSpec Font() const = 0;
    // Draws `icon` (premultiplied ARGB) at its own size; embossed when disabled.
    virtual std::unique_ptr<IconPainter> MakeIconPainter(const imaging::Canvas& icon) = 0;
    // As a user's click: the control's OnClicked, then the window's handlers.
    virtual void Click() = 0;
    virtual std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                             std::function<void()> tick) = 0;
    // Null unless the host is a CustomKind::ComboBox.
    virtual ComboHost* Combo() = 0;
};

struct PointerMove {
    imaging::Point pos;  // client coordinates
    bool leftDown = false;
};

// The control's side. The host calls these on the window's thread.
class CustomControl {
public:
    virtual ~CustomControl() = default;
    virtual CustomKind Kind() const = 0;

    // Called once by the backend when the control's window exists.
    void Attach(CustomHost* host) {
        host_ = host;
        OnAttached();
    }
    // Called by the backend when the control's window goes.
    void Detach() { host_ = nullptr; }
    CustomHost* Host() const { return host_; }

    // Paints the control. `surface` has the client size and keeps what the
    // previous paint left (a new surface first shows Background()). Nothing
    // else is drawn: the backend shows the surface as it is, except for
    // ComboBox hosts, where the surface is laid over the box the backend drew.
    virtual void Paint(imaging::Canvas& surface) = 0;
    // The surface the next paint should start from afresh (size or look changed).
    virtual bool WantsFreshSurface() { return false; }

    virtual void OnAttached() {}
    virtual void OnPointerMove(const PointerMove&) {}
    virtual void OnPointerLeave() {}
    virtual void OnLeftDown() {}
    virtual void OnLeftUp() {}
    // Before the window's handlers; the return value is the control's own.
    virtual bool OnClicked() { return false; }
    virtual void OnFocusChanged(bool /*focused*/) {}
    // enabled: the new state; byProgram: set on the control itself (not
    // inherited from a disabled window).
    virtual void OnEnabledChanged(bool /*enabled*/, bool /*byProgram*/) {}
    // The window lost activation, or a modal window now blocks it.
    virtual void OnDeactivated() {}
    virtual void OnColorsChanged() {}
    virtual void OnResized() {}
    // True swallows the key (no shortcut, no mnemonic, no typing).
    virtual bool OnKey(const KeyPress&) { return false; }
    // Combo boxes: the user changed the edit text (not the program).
    virtual void OnEditTextEdited(const std::u16string& /*text*/) {}
    // Combo boxes: the dropped list closed.
    virtual void OnPopupHidden() {}

private:
    CustomHost* host_ = nullptr;
};

}  // namespace nimbo::ui
