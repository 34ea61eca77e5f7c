#pragma once
// Windows for the kit's custom controls (ui/custom_control.h): a Qt widget of
// the control's kind that feeds the control its input and shows what it
// paints. The dialog window creates one for every control a window binds.
#include <QPoint>
#include <QWidget>
#include <functional>

#include "ui/control.h"
#include "ui/custom_control.h"
#include "ui/keys.h"

class QKeyEvent;

namespace nimbo::ui::qt {

struct CustomHostParts {
    QWidget* widget;
    Control* control;
};

// Creates the host widget for control.Kind() as a child of `parent`, attaches the control
// (control.Attach(host)), and wires clicks: a click calls control.OnClicked(), then onCommand().
// The widget belongs to its parent; when it is destroyed it detaches the control.
// For CustomKind::ComboBox, `control` is also a ui::ComboBox (dynamic_cast works).
CustomHostParts CreateCustomHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand);
// The same with the pointer's position (global coordinates) read from
// `cursorPosition` instead of the window system, for tests.
CustomHostParts CreateCustomHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand,
                                 std::function<QPoint()> cursorPosition);

// The key as the kit describes it; shortcutCheck for a ShortcutOverride event.
KeyPress KeyPressFrom(const QKeyEvent& e, bool shortcutCheck);

}  // namespace nimbo::ui::qt
