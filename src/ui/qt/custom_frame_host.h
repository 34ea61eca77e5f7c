#pragma once
// The windows of CustomKind::Frame and CustomKind::Picture controls: they show
// what the control paints and take no focus. A frame also lets every click and
// hover through to the controls it frames, which are its siblings.
#include <QWidget>
#include <memory>

#include "ui/qt/custom_host_core.h"

namespace nimbo::ui::qt {

class CustomFrameHost : public QWidget {
    Q_OBJECT
public:
    CustomFrameHost(CustomControl& control, int id, QWidget* parent,
                    std::function<void()> onCommand, std::function<QPoint()> cursorPosition);
    ~CustomFrameHost() override;

    // The frame or picture as the window sees it.
    Control* SelfControl() const { return host_->SelfControl(); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    std::unique_ptr<QtCustomHost> host_;
};

}  // namespace nimbo::ui::qt
