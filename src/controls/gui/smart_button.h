#pragma once
// CSmartButton: a flat, owner-drawn push button that lights up while the
// mouse is over it, shows an optional icon left of its caption and leaves the
// look of its face to DrawBackground and DrawBorder.
//
// Create it like any button (new CSmartButton(parent), setGeometry, setText);
// clicked() works as usual and is preceded by OnClicked().
#include <QAbstractButton>
#include <QPixmap>
#include <optional>

#include "controls/button_face.h"
#include "controls/system_colors.h"
#include "imaging/canvas.h"

class CSmartButton : public QAbstractButton {
    Q_OBJECT
public:
    // Button types of the style's low four bits.
    static constexpr unsigned kPushButton = 0x0;
    static constexpr unsigned kDefPushButton = 0x1;
    static constexpr unsigned kOwnerDraw = 0xB;
    // Dialog codes reported by DialogCode().
    static constexpr unsigned kDlgcButton = 0x2000;
    static constexpr unsigned kDlgcDefPushButton = 0x10;
    static constexpr unsigned kDlgcUndefPushButton = 0x20;
    // Owner-draw item state bits.
    static constexpr unsigned kStateSelected = 0x1;
    static constexpr unsigned kStateDisabled = 0x4;
    static constexpr unsigned kStateFocus = 0x10;

    explicit CSmartButton(QWidget* parent = nullptr);
    ~CSmartButton() override;

    // Loads the program's icon with this resource id at its own size; an
    // unknown id leaves the button without an icon.
    void SetIconById(int id);
    // Takes the icon (a null pixmap removes it); returns 0.
    int SetIconHandle(const QPixmap& icon);

    // Sets the button's type like a style change of a native button: type 1
    // makes it the default button and type 0 an ordinary one; whatever type is
    // asked for, the button stays owner-drawn.
    void SetButtonStyle(unsigned style, bool redraw = true);
    unsigned ButtonStyle() const { return style_; }
    // What the dialog manager learns when it asks the button about itself.
    unsigned DialogCode() const;

    bool IsHot() const { return hot_; }
    bool IsDefault() const { return isDefault_; }
    // The icon's layout size (twice its hot spot), empty without an icon.
    QSize IconLayout() const;
    bool HasIcon() const { return !icon_.isNull(); }
    bool HasBackgroundSnapshot() const { return snapshot_.has_value(); }

    // Copies the parent's pixels under the button (taken once, at first use
    // after construction, a resize or a palette change) into dc at (0, 0).
    void PaintParentSnapshot(nimbo::imaging::Canvas& dc);

    QSize sizeHint() const override;

signals:
    void HotChanged(bool hot);

protected:
    virtual bool OnClicked();
    virtual int DrawBackground(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect);
    virtual int DrawBorder(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& rect);
    // One owner-draw pass: face, border when pressed or hot, icon, caption.
    void DrawItem(nimbo::imaging::Canvas& dc, const nimbo::imaging::Rect& item,
                  unsigned itemState);

    nimbo::ButtonState CurrentState() const;
    const nimbo::SystemColors& Colors() const { return colors_; }

    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    void ClearHot();
    void MoveFocusToNextTabStop();
    void TakeParentSnapshot();
    unsigned ItemState() const;

    bool hot_ = false;
    bool pressed_ = false;
    bool focused_ = false;
    bool disabled_ = false;
    bool isDefault_ = false;
    unsigned style_ = kOwnerDraw;
    // (background, foreground) for the hot, normal and focused looks.
    struct ColorPair {
        nimbo::imaging::Color background, foreground;
    };
    ColorPair pairs_[3];
    nimbo::SystemColors colors_;
    std::optional<nimbo::imaging::Canvas> snapshot_;
    // What the button showed after its last paint; the next paint draws over it.
    nimbo::imaging::Canvas surface_;
    QPixmap icon_;
    QSize iconLayout_;
};
