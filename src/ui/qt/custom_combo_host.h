#pragma once
// The window of a CustomKind::ComboBox control: a classic combo box (a 2-pixel
// edge and a 16-pixel drop-down button) with the control's surface laid over
// it. The box keeps its own list, edit field and keyboard handling; the
// control hears the pointer, the focus, the keys first and the user's edits.
#include <QComboBox>
#include <QPointer>
#include <memory>

#include "ui/qt/custom_host_core.h"

class QLineEdit;

namespace nimbo::ui::qt {

class CustomComboHost : public QComboBox {
    Q_OBJECT
public:
    CustomComboHost(CustomControl& control, int id, QWidget* parent,
                    std::function<void()> onCommand, std::function<QPoint()> cursorPosition);
    ~CustomComboHost() override;

    // The box as a ui::ComboBox.
    Control* SelfControl() const;
    // Width of the drop-down button area.
    int ThumbWidth() const;

    void hidePopup() override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    class Host;
    void PaintBase();
    void HookLineEdit();

    std::unique_ptr<Host> host_;
    QPointer<QLineEdit> hookedEdit_;
};

}  // namespace nimbo::ui::qt
