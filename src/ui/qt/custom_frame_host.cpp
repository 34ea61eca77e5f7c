#include "ui/qt/custom_frame_host.h"

#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {

CustomFrameHost::CustomFrameHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand,
                                 std::function<QPoint()> cursorPosition)
    : QWidget(parent),
      host_(std::make_unique<QtCustomHost>(this, control,
                                           std::make_unique<WidgetControl<Control>>(this, id),
                                           std::move(onCommand), std::move(cursorPosition))) {
    if (control.Kind() == CustomKind::Frame) {
        // Clicks and hover belong to the controls it frames.
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    setFocusPolicy(Qt::NoFocus);
    host_->Attach();
}

CustomFrameHost::~CustomFrameHost() {
    host_->Detach();
}

void CustomFrameHost::paintEvent(QPaintEvent*) {
    host_->PaintSurface(false);
}

void CustomFrameHost::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    host_->Changed(*e);
}

void CustomFrameHost::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    host_->Resized();
}

}  // namespace nimbo::ui::qt
