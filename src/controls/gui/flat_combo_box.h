#pragma once
// CCJFlatComboBox: a combo box with a flat look. Its frame blends into the
// dialog until the mouse is over it or it has the focus, when it turns "hot"
// (a thin sunken frame and a raised drop-down button); the button shows
// pressed while the left mouse button is held. Hover is followed by a 10 ms
// timer that mouse moves start. Editable boxes complete typed text from the
// list, and Alt+character keys are kept from the dialog.
#include <QComboBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

#include "controls/combo_frame.h"

class QLineEdit;

class CCJFlatComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CCJFlatComboBox(QWidget* parent = nullptr);
    // cursorPosition replaces the pointer's global position (for tests).
    CCJFlatComboBox(QWidget* parent, std::function<QPoint()> cursorPosition);

    int ThumbWidth() const;
    bool LeftButtonDown() const { return leftButtonDown_; }
    bool DrawnHot() const { return drawnHot_; }
    bool HasFocusFlag() const { return hasFocus_; }
    bool AutoComplete() const { return autoComplete_; }
    bool HoverTimerActive() const { return hoverTimer_.isActive(); }
    // The states drawn by hover and focus tracking, oldest first.
    const std::vector<nimbo::ComboFrameState>& DrawnStates() const { return drawnStates_; }
    // The state the last paint gave the frame.
    nimbo::ComboFrameState PaintedState() const { return paintedState_; }
    nimbo::ComboColors Colors() const { return colors_; }

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
    void paintEvent(QPaintEvent* e) override;

private:
    void PaintBase();
    void OnMouseMove();
    void OnTimer();
    void UpdateFocus();
    void OnEditUpdate(const QString& text);
    void HookLineEdit();
    void ReadColors();
    bool CursorInside() const;
    void DrawFrame(nimbo::ComboFrameState state);

    std::function<QPoint()> cursorPosition_;
    QTimer hoverTimer_;
    bool leftButtonDown_ = false;
    bool drawnHot_ = false;
    bool hasFocus_ = false;
    bool autoComplete_ = true;
    bool skipNextCompletion_ = false;
    nimbo::ComboColors colors_{};
    std::optional<nimbo::ComboFrameState> pending_;
    nimbo::ComboFrameState paintedState_ = nimbo::ComboFrameState::Flat;
    std::vector<nimbo::ComboFrameState> drawnStates_;
    QPointer<QLineEdit> hookedEdit_;
};
