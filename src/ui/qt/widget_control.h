#pragma once
// ui::Control over a Qt widget: the calls every control shares. Typed
// controls derive from WidgetControl<ui::ListView> and so on.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <string>
#include <string_view>

#include "ui/control.h"

namespace nimbo::ui::qt {

inline QString ToQString(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The text of any widget the kit makes: caption, edit text, group title,
// a combo box's current text, or a "text" property.
QString WidgetText(const QWidget* w);
void SetWidgetText(QWidget* w, const QString& text);

// The property under which a control keeps its ui::Control (so tests and the
// backend can get from a widget back to the control).
inline constexpr char kControlProperty[] = "nimboControl";
// The ui::Control a widget made by the kit stands for; null for others.
Control* ControlOf(const QWidget* w);

template <typename Interface>
class WidgetControl : public Interface {
public:
    WidgetControl(QWidget* widget, int id) : widget_(widget), id_(id) {
        widget_->setProperty(kControlProperty,
                             QVariant::fromValue(static_cast<void*>(static_cast<Control*>(this))));
    }

    int Id() const override { return id_; }
    void SetText(const std::string& utf8) override { SetWidgetText(widget_, ToQString(utf8)); }
    std::string Text() const override { return WidgetText(widget_).toStdString(); }
    void Enable(bool enabled) override { widget_->setEnabled(enabled); }
    bool IsEnabled() const override { return widget_->isEnabled(); }
    void Show(bool visible) override { widget_->setVisible(visible); }
    bool IsVisible() const override { return widget_->isVisible(); }
    void SetFocus() override { widget_->setFocus(Qt::OtherFocusReason); }
    bool HasFocus() const override { return widget_->hasFocus(); }
    imaging::Rect Bounds() const override {
        const QRect r = widget_->geometry();
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    void RepaintNow() override { widget_->repaint(); }
    void SetTag(std::string_view name, int value) override {
        widget_->setProperty(std::string(name).c_str(), value);
    }

    QWidget* Widget() const { return widget_; }

private:
    QWidget* widget_;
    int id_;
};

}  // namespace nimbo::ui::qt
