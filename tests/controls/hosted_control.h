#pragma once
// A custom control in the host widget the dialog window would give it, at a
// place in a test window. The control must outlive the widget (declare it
// before the window), as a window's controls outlive its widgets.
#include <QRect>
#include <QWidget>
#include <functional>

#include "ui/custom_control.h"
#include "ui/qt/custom_host.h"

namespace nimbo::testing {

template <typename Widget = QWidget>
Widget* HostControl(ui::CustomControl& control, QWidget* parent, QRect geometry,
                    std::function<void()> onCommand = {},
                    std::function<QPoint()> cursorPosition = {}) {
    const ui::qt::CustomHostParts host = ui::qt::CreateCustomHost(
        control, 1000, parent, std::move(onCommand), std::move(cursorPosition));
    host.widget->setGeometry(geometry);
    return static_cast<Widget*>(host.widget);
}

}  // namespace nimbo::testing
