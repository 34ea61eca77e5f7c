#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {

QString WidgetText(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return w->property("text").toString();
}

void SetWidgetText(QWidget* w, const QString& text) {
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(text);
    } else {
        w->setProperty("text", text);
        w->update();
    }
}

Control* ControlOf(const QWidget* w) {
    if (!w) return nullptr;
    return static_cast<Control*>(w->property(kControlProperty).value<void*>());
}

}  // namespace nimbo::ui::qt
