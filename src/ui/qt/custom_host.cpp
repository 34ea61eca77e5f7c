#include "ui/qt/custom_host.h"

#include <QKeyEvent>

#include "ui/qt/custom_button_host.h"
#include "ui/qt/custom_combo_host.h"
#include "ui/qt/custom_frame_host.h"

namespace nimbo::ui::qt {

CustomHostParts CreateCustomHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand) {
    return CreateCustomHost(control, id, parent, std::move(onCommand), nullptr);
}

CustomHostParts CreateCustomHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand,
                                 std::function<QPoint()> cursorPosition) {
    switch (control.Kind()) {
        case CustomKind::PushButton: {
            auto* w = new CustomButtonHost(control, id, parent, std::move(onCommand),
                                           std::move(cursorPosition));
            return {w, w->SelfControl()};
        }
        case CustomKind::ComboBox: {
            auto* w = new CustomComboHost(control, id, parent, std::move(onCommand),
                                          std::move(cursorPosition));
            return {w, w->SelfControl()};
        }
        case CustomKind::Frame:
        case CustomKind::Picture:
            break;
    }
    auto* w =
        new CustomFrameHost(control, id, parent, std::move(onCommand), std::move(cursorPosition));
    return {w, w->SelfControl()};
}

KeyPress KeyPressFrom(const QKeyEvent& e, bool shortcutCheck) {
    KeyPress k;
    switch (e.key()) {
        case Qt::Key_Escape:
            k.key = Key::Escape;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            k.key = Key::Enter;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            k.key = Key::Tab;
            break;
        case Qt::Key_Backspace:
            k.key = Key::Backspace;
            break;
        case Qt::Key_Delete:
            k.key = Key::Delete;
            break;
        case Qt::Key_Space:
            k.key = Key::Space;
            break;
        default: {
            const int key = e.key();
            const bool printable = (key > Qt::Key_Space && key <= Qt::Key_AsciiTilde) ||
                                   (!e.text().isEmpty() && e.text().at(0).isPrint());
            k.key = printable ? Key::Character : Key::Other;
        }
    }
    const auto mods = e.modifiers();
    k.alt = mods & Qt::AltModifier;
    k.ctrl = mods & Qt::ControlModifier;
    k.shift = mods & Qt::ShiftModifier;
    k.meta = mods & Qt::MetaModifier;
    k.keypad = mods & Qt::KeypadModifier;
    k.autoRepeat = e.isAutoRepeat();
    k.text = e.text().toStdString();
    k.shortcutCheck = shortcutCheck;
    return k;
}
}  // namespace nimbo::ui::qt
