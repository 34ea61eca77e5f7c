#include "ui/qt/custom_button_host.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {

class CustomButtonHost::Host : public QtCustomHost {
public:
    Host(CustomButtonHost* button, CustomControl& control, int id, std::function<void()> onCommand,
         std::function<QPoint()> cursorPosition)
        : QtCustomHost(button, control, std::make_unique<WidgetControl<Control>>(button, id),
                       std::move(onCommand), std::move(cursorPosition)),
          button_(button) {}

    bool IsPressed() const override { return button_->isDown(); }
    // Goes through the button's clicked(), as a user's click does.
    void Click() override { button_->click(); }

private:
    CustomButtonHost* button_;
};

CustomButtonHost::CustomButtonHost(CustomControl& control, int id, QWidget* parent,
                                   std::function<void()> onCommand,
                                   std::function<QPoint()> cursorPosition)
    : QAbstractButton(parent),
      host_(std::make_unique<Host>(this, control, id, std::move(onCommand),
                                   std::move(cursorPosition))) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Connected first, so the control hears of the click before the window.
    connect(this, &QAbstractButton::clicked, this, [this] { host_->Clicked(); });
    host_->Attach();
}

CustomButtonHost::~CustomButtonHost() {
    host_->Detach();
}

Control* CustomButtonHost::SelfControl() const {
    return host_->SelfControl();
}

QSize CustomButtonHost::sizeHint() const {
    return QSize(75, 23);
}

void CustomButtonHost::paintEvent(QPaintEvent*) {
    host_->PaintSurface(false);
}

void CustomButtonHost::mouseMoveEvent(QMouseEvent* e) {
    QAbstractButton::mouseMoveEvent(e);
    host_->PointerMoved(*e);
}

void CustomButtonHost::mousePressEvent(QMouseEvent* e) {
    host_->LeftDown(*e);
    QAbstractButton::mousePressEvent(e);
}

void CustomButtonHost::mouseReleaseEvent(QMouseEvent* e) {
    host_->LeftUp(*e);
    QAbstractButton::mouseReleaseEvent(e);
}

void CustomButtonHost::mouseDoubleClickEvent(QMouseEvent* e) {
    // A quick second click presses the button like the first one.
    mousePressEvent(e);
}

void CustomButtonHost::keyPressEvent(QKeyEvent* e) {
    if (host_->Key(*e, false)) {
        e->accept();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void CustomButtonHost::leaveEvent(QEvent* e) {
    QAbstractButton::leaveEvent(e);
    host_->PointerLeft();
}

void CustomButtonHost::focusInEvent(QFocusEvent* e) {
    QAbstractButton::focusInEvent(e);
    host_->FocusChanged(true);
}

void CustomButtonHost::focusOutEvent(QFocusEvent* e) {
    QAbstractButton::focusOutEvent(e);
    host_->FocusChanged(false);
}

void CustomButtonHost::changeEvent(QEvent* e) {
    QAbstractButton::changeEvent(e);
    host_->Changed(*e);
}

void CustomButtonHost::resizeEvent(QResizeEvent* e) {
    QAbstractButton::resizeEvent(e);
    host_->Resized();
}

bool CustomButtonHost::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::WindowBlocked:
            host_->Deactivated();
            break;
        case QEvent::ShortcutOverride:
            if (host_->Key(*static_cast<QKeyEvent*>(e), true)) {
                e->accept();
                return true;
            }
            break;
        default:
            break;
    }
    return QAbstractButton::event(e);
}

}  // namespace nimbo::ui::qt
