#pragma once
// What the windows of every kind of custom control share: ui::CustomHost over
// a widget, the surface kept between paints, and the widget's input passed on
// to the control. The widget owns its QtCustomHost and calls the handlers
// below from its event functions.
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "imaging/canvas.h"
#include "ui/control.h"
#include "ui/custom_control.h"

class QEvent;
class QKeyEvent;
class QMouseEvent;

namespace nimbo::ui::qt {

class QtCustomHost : public CustomHost {
public:
    // `self` is the control as the window sees it (a WidgetControl over `widget`).
    QtCustomHost(QWidget* widget, CustomControl& control, std::unique_ptr<Control> self,
                 std::function<void()> onCommand, std::function<QPoint()> cursorPosition);
    ~QtCustomHost() override;
    QtCustomHost(const QtCustomHost&) = delete;
    QtCustomHost& operator=(const QtCustomHost&) = delete;

    // Attaches the control; called once the widget is complete. Until then
    // the control hears nothing (the widget's set-up sends events too).
    void Attach();
    // The widget is going: the control is let go and hears nothing more.
    void Detach();
    // Null once detached.
    CustomControl* Client() const { return control_; }
    Control* SelfControl() const { return self_.get(); }

    Control& Self() override { return *self_; }
    const Control& Self() const override { return *self_; }
    void Invalidate() override;
    void RepaintNow() override;
    void InvalidateWithParent() override;
    imaging::Size ClientSize() const override;
    bool IsPressed() const override { return false; }
    bool PointerOver() const override;
    bool PointerInside() const override;
    void FocusNextTabStop() override;
    imaging::Canvas Background() const override;
    SystemColors Colors() const override;
    TextPainter& Text() override;
    std::unique_ptr<TextPainter> MakeTextPainter(const FontSpec& font) override;
    FontSpec Font() const override;
    std::unique_ptr<IconPainter> MakeIconPainter(const imaging::Canvas& icon) override;
    void Click() override { Clicked(); }
    std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                     std::function<void()> tick) override;
    ComboHost* Combo() override { return nullptr; }

    // For the widget's event functions.

    // Lets the control paint the kept surface and draws it. The surface
    // starts afresh from Background(), or fully transparent for an overlay
    // (laid over what the widget drew itself), which is then new every time.
    void PaintSurface(bool overlay);
    // The next paint starts from a fresh surface.
    void DropSurface() { surface_ = imaging::Canvas(); }
    void PointerMoved(const QMouseEvent& e);
    void LeftDown(const QMouseEvent& e);
    void LeftUp(const QMouseEvent& e);
    void PointerLeft();
    // True when the control swallows the key.
    bool Key(const QKeyEvent& e, bool shortcutCheck);
    // Enabled state and palette changes.
    void Changed(const QEvent& e);
    void Resized();
    void FocusChanged(bool focused);
    void Deactivated();
    // A click has happened: the control's OnClicked, then the window's command.
    void Clicked();

private:
    class WidgetText;
    // Where the pointer is: at the mouse event being handled, else where the
    // cursor is now.
    QPoint PointerGlobal() const;
    void WithPointerAt(QPoint global, const std::function<void()>& handle);

    QWidget* widget_;
    CustomControl* pending_;
    CustomControl* control_ = nullptr;
    std::unique_ptr<Control> self_;
    std::function<void()> onCommand_;
    std::function<QPoint()> cursorPosition_;
    std::optional<QPoint> eventPointer_;
    std::unique_ptr<WidgetText> text_;
    imaging::Canvas surface_;
};

}  // namespace nimbo::ui::qt
