#include "ui/qt/custom_host_core.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "ui/qt/custom_host.h"
#include "ui/qt/qt_drawing.h"
#include "ui/qt/qt_pictures.h"
#include "ui/qt/qt_timer.h"

namespace nimbo::ui::qt {

// Text in whatever font the widget has at the time of the call.
class QtCustomHost::WidgetText : public TextPainter {
public:
    explicit WidgetText(QWidget* widget) : widget_(widget) {}
    imaging::Size Measure(std::string_view utf8, int wrapWidth, TextFormat format) override {
        return QtTextPainter(widget_->font()).Measure(utf8, wrapWidth, format);
    }
    void Draw(imaging::Canvas& canvas, const imaging::Rect& rect, std::string_view utf8,
              imaging::Color color, TextFormat format) override {
        QtTextPainter(widget_->font()).Draw(canvas, rect, utf8, color, format);
    }

private:
    QWidget* widget_;
};

QtCustomHost::QtCustomHost(QWidget* widget, CustomControl& control, std::unique_ptr<Control> self,
                           std::function<void()> onCommand, std::function<QPoint()> cursorPosition)
    : widget_(widget),
      pending_(&control),
      self_(std::move(self)),
      onCommand_(std::move(onCommand)),
      cursorPosition_(cursorPosition ? std::move(cursorPosition) : [] { return QCursor::pos(); }),
      text_(std::make_unique<WidgetText>(widget)) {}

QtCustomHost::~QtCustomHost() {
    Detach();
}

void QtCustomHost::Attach() {
    if (control_ || !pending_) return;
    control_ = std::exchange(pending_, nullptr);
    control_->Attach(this);
}

void QtCustomHost::Detach() {
    pending_ = nullptr;
    if (!control_) return;
    control_->Detach();
    control_ = nullptr;
}

void QtCustomHost::Invalidate() {
    widget_->update();
}
void QtCustomHost::RepaintNow() {
    widget_->repaint();
}

void QtCustomHost::InvalidateWithParent() {
    widget_->update();
    if (QWidget* parent = widget_->parentWidget()) parent->update(widget_->geometry());
}

imaging::Size QtCustomHost::ClientSize() const {
    return {widget_->width(), widget_->height()};
}

QPoint QtCustomHost::PointerGlobal() const {
    return eventPointer_ ? *eventPointer_ : cursorPosition_();
}

void QtCustomHost::WithPointerAt(QPoint global, const std::function<void()>& handle) {
    const std::optional<QPoint> outer = eventPointer_;
    eventPointer_ = global;
    handle();
    eventPointer_ = outer;
}

bool QtCustomHost::PointerOver() const {
    const QPoint global = PointerGlobal();
    QWidget* under = QApplication::widgetAt(global);
    if (!under) {
        // Platforms without window hit-testing: search our own window.
        QWidget* top = widget_->window();
        const QPoint local = top->mapFromGlobal(global);
        if (top->rect().contains(local)) {
            under = top->childAt(local);
            if (!under) under = top;
        }
    }
    return under && (under == widget_ || widget_->isAncestorOf(under));
}

bool QtCustomHost::PointerInside() const {
    return QRect(widget_->mapToGlobal(QPoint(0, 0)), widget_->size()).contains(PointerGlobal());
}

void QtCustomHost::FocusNextTabStop() {
    QWidget* dialog = widget_->parentWidget();
    if (!dialog) return;
    // Walk the tab chain forward from this control, wrapping round once.
    QWidget* w = widget_;
    for (int guard = 0; guard < 10000; ++guard) {
        w = w->nextInFocusChain();
        if (!w || w == widget_) break;
        if (dialog->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisible() && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    dialog->setFocus(Qt::TabFocusReason);
}

imaging::Canvas QtCustomHost::Background() const {
    imaging::Canvas snap(widget_->width(), widget_->height(), imaging::Canvas::kTransparent);
    if (snap.Width() <= 0 || snap.Height() <= 0) return snap;
    QWidget* parent = widget_->parentWidget();
    QImage image = CanvasImage(snap);
    image.fill(parent ? parent->palette().color(QPalette::Window)
                      : widget_->palette().color(QPalette::Window));
    if (!parent) return snap;
    const QRect area = widget_->geometry();
    parent->render(&image, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
    // Siblings beneath the control (a group box, say) show through too.
    for (QObject* child : parent->children()) {
        if (child == widget_) break;
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling->isWindow() || !sibling->isVisible()) continue;
        const QRect overlap = sibling->geometry() & area;
        if (overlap.isEmpty()) continue;
        sibling->render(&image, overlap.topLeft() - area.topLeft(),
                        QRegion(overlap.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return snap;
}

SystemColors QtCustomHost::Colors() const {
    return SystemColorsFrom(widget_->palette());
}

TextPainter& QtCustomHost::Text() {
    return *text_;
}

std::unique_ptr<TextPainter> QtCustomHost::MakeTextPainter(const FontSpec& font) {
    return std::make_unique<QtTextPainter>(ToQFont(font));
}

FontSpec QtCustomHost::Font() const {
    return ToFontSpec(widget_->font());
}

std::unique_ptr<IconPainter> QtCustomHost::MakeIconPainter(const imaging::Canvas& icon) {
    return std::make_unique<QtIconPainter>(ToQPixmap(icon));
}

std::unique_ptr<Timer> QtCustomHost::MakeTimer(std::chrono::milliseconds interval,
                                               std::function<void()> tick) {
    // The control keeps the timer and may outlive this window, so the timer
    // is nobody's child; the control hears no ticks once it is detached.
    return std::make_unique<QtTimer>(nullptr, interval, std::move(tick));
}

void QtCustomHost::PaintSurface(bool overlay) {
    const int w = widget_->width();
    const int h = widget_->height();
    if (!control_ || w <= 0 || h <= 0) return;
    if (overlay) {
        surface_ = imaging::Canvas(w, h, imaging::Canvas::kTransparent);
    } else if (surface_.Width() != w || surface_.Height() != h || control_->WantsFreshSurface()) {
        surface_ = Background();
    }
    control_->Paint(surface_);
    QPainter p(widget_);
    p.drawImage(0, 0, CanvasImage(surface_));
}

void QtCustomHost::PointerMoved(const QMouseEvent& e) {
    if (!control_) return;
    const PointerMove move{{e.position().toPoint().x(), e.position().toPoint().y()},
                           (e.buttons() & Qt::LeftButton) != 0};
    WithPointerAt(e.globalPosition().toPoint(), [&] {
        if (control_) control_->OnPointerMove(move);
    });
}

void QtCustomHost::LeftDown(const QMouseEvent& e) {
    if (!control_ || e.button() != Qt::LeftButton) return;
    WithPointerAt(e.globalPosition().toPoint(), [&] {
        if (control_) control_->OnLeftDown();
    });
}

void QtCustomHost::LeftUp(const QMouseEvent& e) {
    if (!control_ || e.button() != Qt::LeftButton) return;
    WithPointerAt(e.globalPosition().toPoint(), [&] {
        if (control_) control_->OnLeftUp();
    });
}

void QtCustomHost::PointerLeft() {
    if (control_) control_->OnPointerLeave();
}

bool QtCustomHost::Key(const QKeyEvent& e, bool shortcutCheck) {
    return control_ && control_->OnKey(KeyPressFrom(e, shortcutCheck));
}

void QtCustomHost::Changed(const QEvent& e) {
    if (!control_) return;
    if (e.type() == QEvent::EnabledChange) {
        const bool enabled = widget_->isEnabled();
        // Disabled by the program when the widget itself was disabled, not
        // (only) a window it lies in.
        control_->OnEnabledChanged(enabled,
                                   enabled || widget_->testAttribute(Qt::WA_ForceDisabled));
    } else if (e.type() == QEvent::PaletteChange) {
        // The window beneath may look different now.
        DropSurface();
        control_->OnColorsChanged();
    }
}

void QtCustomHost::Resized() {
    // A surface of the old size cannot cover the new one.
    DropSurface();
    if (control_) control_->OnResized();
}

void QtCustomHost::FocusChanged(bool focused) {
    if (control_) control_->OnFocusChanged(focused);
}

void QtCustomHost::Deactivated() {
    if (control_) control_->OnDeactivated();
}

void QtCustomHost::Clicked() {
    if (control_) control_->OnClicked();
    if (onCommand_) onCommand_();
}

}  // namespace nimbo::ui::qt
