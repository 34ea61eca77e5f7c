#include "controls/gui/smart_button.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "controls/button_content.h"
#include "controls/gui/qt_drawing.h"
#include "icons/icons.h"

using nimbo::ButtonState;
using nimbo::CanvasImage;
using nimbo::ContentLayout;
using nimbo::DrawButtonCaption;
using nimbo::IconLayoutSize;
using nimbo::LayOutButtonContent;
using nimbo::QtIconPainter;
using nimbo::QtTextPainter;
using nimbo::SystemColors;
using nimbo::SystemColorsFrom;
namespace imaging = nimbo::imaging;

using imaging::Canvas;
using imaging::Rect;

CSmartButton::CSmartButton(QWidget* parent) : QAbstractButton(parent) {
    colors_ = SystemColorsFrom(palette());
    for (ColorPair& p : pairs_) p = {colors_.buttonFace, colors_.buttonText};
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Connected first, so it runs before any handler of the window's.
    connect(this, &QAbstractButton::clicked, this, [this] { OnClicked(); });
}

CSmartButton::~CSmartButton() = default;

void CSmartButton::SetIconById(int id) {
    SetIconHandle(nimbo::resources::LoadIconPixmap(id));
}

int CSmartButton::SetIconHandle(const QPixmap& icon) {
    icon_ = icon;
    iconLayout_ = QSize();
    if (!icon_.isNull()) {
        const imaging::Size layout = IconLayoutSize({icon_.width(), icon_.height()});
        iconLayout_ = QSize(layout.width, layout.height);
    }
    update();
    return 0;
}

QSize CSmartButton::IconLayout() const {
    return iconLayout_;
}

void CSmartButton::SetButtonStyle(unsigned style, bool redraw) {
    const unsigned type = style & 0xF;
    if (type == kDefPushButton) isDefault_ = true;
    if (type == kPushButton) isDefault_ = false;
    style_ = (style & ~0x4u) | kOwnerDraw;
    if (redraw) update();
}

unsigned CSmartButton::DialogCode() const {
    return kDlgcButton | (isDefault_ ? kDlgcDefPushButton : kDlgcUndefPushButton);
}

QSize CSmartButton::sizeHint() const {
    return QSize(75, 23);
}

bool CSmartButton::OnClicked() {
    setFocus(Qt::MouseFocusReason);
    return false;
}

ButtonState CSmartButton::CurrentState() const {
    return {hot_, pressed_, focused_, disabled_, isDefault_};
}

int CSmartButton::DrawBackground(Canvas& dc, const Rect& rect) {
    const ColorPair& p = (hot_ || pressed_) ? pairs_[0] : focused_ ? pairs_[2] : pairs_[1];
    dc.FillRect(rect, p.background);
    return 0;
}

int CSmartButton::DrawBorder(Canvas& dc, const Rect& rect) {
    const SystemColors now = SystemColorsFrom(palette());
    if (pressed_) {
        dc.Frame3d(rect, now.buttonShadow, now.buttonHighlight);
    } else {
        dc.Frame3d(rect, now.buttonHighlight, now.buttonShadow);
    }
    return 0;
}

void CSmartButton::DrawItem(Canvas& dc, const Rect& item, unsigned itemState) {
    pressed_ = itemState & kStateSelected;
    focused_ = itemState & kStateFocus;
    disabled_ = itemState & kStateDisabled;
    const Rect rc = item;
    DrawBackground(dc, rc);
    if (pressed_ || hot_) DrawBorder(dc, rc);

    const std::string caption = text().toStdString();
    const imaging::Size layout{iconLayout_.width(), iconLayout_.height()};
    const ContentLayout place =
        LayOutButtonContent(item, icon_.isNull() ? nullptr : &layout, !caption.empty());
    // Emboss colours are the system's at the time of painting.
    const SystemColors now = SystemColorsFrom(palette());
    if (!icon_.isNull()) {
        QtIconPainter(icon_).Draw(dc, place.iconTopLeft, disabled_, now.buttonHighlight,
                                  now.buttonShadow);
    }
    if (!caption.empty()) {
        const imaging::Color ink =
            (hot_ || pressed_) ? pairs_[0].foreground : pairs_[1].foreground;
        QtTextPainter text(font());
        DrawButtonCaption(dc, place.captionRect, caption, disabled_,
                          {ink, now.buttonHighlight, now.buttonShadow}, text);
    }
}

unsigned CSmartButton::ItemState() const {
    unsigned s = 0;
    if (isDown()) s |= kStateSelected;
    if (hasFocus()) s |= kStateFocus;
    if (!isEnabled()) s |= kStateDisabled;
    return s;
}

void CSmartButton::TakeParentSnapshot() {
    Canvas snap(width(), height(), Canvas::kTransparent);
    QWidget* parent = parentWidget();
    if (snap.Width() > 0 && snap.Height() > 0) {
        QImage image = CanvasImage(snap);
        image.fill(parent ? parent->palette().color(QPalette::Window)
                          : palette().color(QPalette::Window));
        if (parent) {
            const QRect area = geometry();
            parent->render(&image, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
            // Siblings beneath the button (a group box, say) show through too.
            for (QObject* child : parent->children()) {
                if (child == this) break;
                auto* sibling = qobject_cast<QWidget*>(child);
                if (!sibling || sibling->isWindow() || !sibling->isVisible()) continue;
                const QRect overlap = sibling->geometry() & area;
                if (overlap.isEmpty()) continue;
                sibling->render(&image, overlap.topLeft() - area.topLeft(),
                                QRegion(overlap.translated(-sibling->pos())),
                                QWidget::DrawWindowBackground | QWidget::DrawChildren);
            }
        }
    }
    snapshot_ = std::move(snap);
}

void CSmartButton::PaintParentSnapshot(Canvas& dc) {
    if (!snapshot_) TakeParentSnapshot();
    dc.BlockCopy({0, 0, width(), height()}, *snapshot_, {0, 0});
}

void CSmartButton::paintEvent(QPaintEvent*) {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) return;
    if (surface_.Width() != w || surface_.Height() != h) {
        // Before its first paint the button shows the parent beneath it.
        surface_ = Canvas(w, h, Canvas::kTransparent);
        PaintParentSnapshot(surface_);
    }
    DrawItem(surface_, {0, 0, w, h}, ItemState());
    QPainter p(this);
    p.drawImage(0, 0, CanvasImage(surface_));
}

void CSmartButton::mouseMoveEvent(QMouseEvent* e) {
    QAbstractButton::mouseMoveEvent(e);
    const bool leftDown = e->buttons() & Qt::LeftButton;
    // A drag that comes in from elsewhere does not light the button.
    if (leftDown && !hot_) return;
    const QPoint global = e->globalPosition().toPoint();
    QWidget* under = QApplication::widgetAt(global);
    if (!under) {
        // Platforms without window hit-testing: search our own window.
        QWidget* top = window();
        const QPoint local = top->mapFromGlobal(global);
        if (top->rect().contains(local)) {
            under = top->childAt(local);
            if (!under) under = top;
        }
    }
    if (under == this) {
        if (hot_) return;
        hot_ = true;
        update();
        emit HotChanged(true);
    } else {
        ClearHot();
    }
}

void CSmartButton::mouseDoubleClickEvent(QMouseEvent* e) {
    // A quick second click presses the button like the first one.
    mousePressEvent(e);
}

void CSmartButton::leaveEvent(QEvent* e) {
    QAbstractButton::leaveEvent(e);
    ClearHot();
}

void CSmartButton::focusOutEvent(QFocusEvent* e) {
    QAbstractButton::focusOutEvent(e);
    ClearHot();
}

void CSmartButton::changeEvent(QEvent* e) {
    QAbstractButton::changeEvent(e);
    if (e->type() == QEvent::EnabledChange && !isEnabled() && testAttribute(Qt::WA_ForceDisabled)) {
        MoveFocusToNextTabStop();
        ClearHot();
    } else if (e->type() == QEvent::PaletteChange) {
        // The parent may look different now: take a new picture at the next paint.
        snapshot_.reset();
        surface_ = Canvas();
    }
}

void CSmartButton::resizeEvent(QResizeEvent* e) {
    QAbstractButton::resizeEvent(e);
    // A picture of the old size cannot cover the new one.
    snapshot_.reset();
    surface_ = Canvas();
}

bool CSmartButton::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::WindowBlocked:
            ClearHot();
            break;
        default:
            break;
    }
    return QAbstractButton::event(e);
}

void CSmartButton::ClearHot() {
    if (!hot_) return;
    hot_ = false;
    update();
    emit HotChanged(false);
}

void CSmartButton::MoveFocusToNextTabStop() {
    QWidget* dialog = parentWidget();
    if (!dialog) return;
    // Walk the tab chain forward from this button, wrapping round once.
    QWidget* w = this;
    for (int guard = 0; guard < 10000; ++guard) {
        w = w->nextInFocusChain();
        if (!w || w == this) break;
        if (dialog->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisible() && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    dialog->setFocus(Qt::TabFocusReason);
}
