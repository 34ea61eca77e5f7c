#pragma once
// Mouse, keyboard and activation helpers for widget tests on the offscreen
// platform: events are delivered straight to the widget, as the window system
// would after hit-testing.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace nimbo::testing {

inline void Pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                  Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void MoveTo(QWidget* w, QPoint local, Qt::MouseButtons buttons = Qt::NoButton) {
    Mouse(w, QEvent::MouseMove, local, Qt::NoButton, buttons);
}

inline void Click(QWidget* w, QPoint local) {
    Mouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
}

inline void DoubleClick(QWidget* w, QPoint local) {
    Click(w, local);
    Mouse(w, QEvent::MouseButtonDblClick, local, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
}

inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

inline void ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    Pump();
}

}  // namespace nimbo::testing

// Defined by the toolkit: offers a key to the focus widget as a shortcut
// override and, when nobody claims it, to the window's shortcuts and mnemonics.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods,
                                               const QString& text = QString(),
                                               bool autorep = false, ushort count = 1);

namespace nimbo::testing {

// A key typed on the keyboard: shortcuts first, then the focus widget.
inline void TypeKey(QWidget* focus, int key, Qt::KeyboardModifiers mods, const QString& text) {
    if (qt_sendShortcutOverrideEvent(focus, 0, key, mods, text)) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(focus, &release);
}

}  // namespace nimbo::testing
