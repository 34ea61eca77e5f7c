#pragma once
// CSmartButton: a flat, owner-drawn push button that lights up while the
// pointer is over it, shows an optional icon left of its caption and leaves
// the look of its face to DrawBackground and DrawBorder.
//
// A window binds it to a button of its template (BindControl); the caption
// is the button's text, and a click runs OnClicked() before the window's
// handlers.
#include <functional>
#include <memory>
#include <optional>

#include "controls/button_face.h"
#include "imaging/canvas.h"
#include "ui/custom_control.h"
#include "ui/system_colors.h"
#include "ui/text_painter.h"

class CSmartButton : public nimbo::ui::CustomControl {
public:
    // Button types of the style's low four bits.
    static constexpr unsigned kPushButton = 0x0;
    static constexpr unsigned kDefPushButton = 0x1;
    static constexpr unsigned kOwnerDraw = 0xB;
    // Dialog codes reported by DialogCode().
    static constexpr unsigned kDlgcButton = 0x2000;
    static constexpr unsigned kDlgcDefPushButton = 0x10;
    static constexpr unsigned kDlgcUndefPushButton = 0x20;
    // Owner-draw item state bits.
    static constexpr unsigned kStateSelected = 0x1;
    static constexpr unsigned kStateDisabled = 0x4;
    static constexpr unsigned kStateFocus = 0x10;

    CSmartButton();
    ~CSmartButton() override;

    nimbo::ui::CustomKind Kind() const override { return nimbo::ui::CustomKind::PushButton; }

    // Loads the program's icon with this resource id at its own size; an
    // unknown id leaves the button without an icon.
    void SetIconById(int id);
    // Takes the icon (premultiplied ARGB; an empty canvas removes it); returns 0.
    int SetIconHandle(const nimbo::imaging::Canvas& icon);

    // Sets the button's type like a style change of a native button: type 1
    // makes it the default button and type 0 an ordinary one; whatever type is
    // asked for, the button stays owner-drawn.
    void SetButtonStyle(unsigned style, bool redraw = true);
    unsigned ButtonStyle() const { return style_; }
    // What the dialog manager learns when it asks the button about itself.
    unsigned DialogCode() const;

    bool IsHot() const { return hot_; }
    bool IsDefault() const { return isDefault_; }
    // The icon's layout size (twice its hot spot), 0 x 0 without an icon.
    nimbo::imaging::Size IconLayout() const { return iconLayout_; }
    bool HasIcon() const { return icon_.Width() > 0 && icon_.Height() > 0; }
    bool HasBackgroundSnapshot() const { return snapshot_.has_value(); }

    // Copies the window's pixels under the button (taken once, at first use
    // after attaching, a resize or a colour change) into dc at (0, 0).
    void PaintParentSnapshot(nimbo::imaging::Canvas& dc);

    // Hears the hot state change (true: lit).
    std::function<void(bool)> onHotChanged;

    void Paint(nimbo::imaging::Canvas& surface) override;
    void OnAttached() override;
    void OnPointerMove(const nimbo::ui::PointerMove& move) override;
    void OnPointerLeave() override;
    // Takes the focus, so the button has it before the window hears of the click.
    bool OnClicked() override;
    void OnFocusChanged(bool focused) override;
    void OnEnabledChanged(bool enabled, bool byProgram) override;
    void OnDeactivated() override;
    void OnColorsChanged() override;
    void OnResized() override;

protected:
    virtual int DrawBackground(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect);
    virtual int DrawBorder(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect);
    // One owner-draw pass: face, border when pressed or hot, icon, caption.
    void DrawItem(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& item, unsigned itemState);

    nimbo::ButtonState CurrentState() const;
    const nimbo::ui::SystemColors& Colors() const { return colors_; }
    // The system's colours now (the host's, or the defaults before attaching).
    nimbo::ui::SystemColors ColorsNow() const;

private:
    void Redraw();
    void ClearHot();
    unsigned ItemState() const;

    bool hot_ = false;
    bool pressed_ = false;
    bool focused_ = false;
    bool disabled_ = false;
    bool isDefault_ = false;
    unsigned style_ = kOwnerDraw;
    // (background, foreground) for the hot, normal and focused looks.
    struct ColorPair {
        nimbo::imaging::Color background, foreground;
    };
    ColorPair pairs_[3];
    nimbo::ui::SystemColors colors_;
    std::optional<nimbo::imaging::Canvas> snapshot_;
    nimbo::imaging::Canvas icon_;
    nimbo::imaging::Size iconLayout_;
    // Made from icon_ at the first paint that shows it.
    std::unique_ptr<nimbo::ui::IconPainter> iconPainter_;
};
