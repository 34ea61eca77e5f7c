#pragma once
// The window of a CustomKind::PushButton control: a button that takes the
// focus, follows the pointer (for hot tracking) and counts a quick second
// click as another press, as the skinned buttons expect.
#include <QAbstractButton>
#include <memory>

#include "ui/qt/custom_host_core.h"

namespace nimbo::ui::qt {

class CustomButtonHost : public QAbstractButton {
    Q_OBJECT
public:
    CustomButtonHost(CustomControl& control, int id, QWidget* parent,
                     std::function<void()> onCommand, std::function<QPoint()> cursorPosition);
    ~CustomButtonHost() override;

    // The button as the window sees it.
    Control* SelfControl() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    class Host;
    std::unique_ptr<Host> host_;
};

}  // namespace nimbo::ui::qt
