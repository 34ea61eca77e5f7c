#include "controls/gui/flat_combo_box.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "controls/combo_completion.h"
#include "controls/gui/qt_drawing.h"

using nimbo::CanvasImage;
using nimbo::ComboFramePair;
using nimbo::ComboFrameState;
using nimbo::CompleteTypedText;
using nimbo::DrawComboFrame;
using nimbo::EditCompletion;
using nimbo::FramePair;
using nimbo::SystemColors;
using nimbo::SystemColorsFrom;
namespace imaging = nimbo::imaging;

namespace {

// The classic combo box (a 2-pixel edge and a 16-pixel drop-down button) is
// what the flat frame is drawn over; one style object serves every box.
QStyle* ClassicStyle() {
    static QStyle* style = [] {
        QStyle* s = QStyleFactory::create(QStringLiteral("Windows"));
        if (s) s->setParent(qApp);
        return s;
    }();
    return style;
}

// Alt plus a character key: the dialog would treat it as a mnemonic.
bool IsAltCharacter(const QKeyEvent* e) {
    const auto mods = e->modifiers();
    if (!(mods & Qt::AltModifier) || (mods & Qt::ControlModifier)) return false;
    const int key = e->key();
    return (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) ||
           (!e->text().isEmpty() && e->text().at(0).isPrint());
}

}  // namespace

CCJFlatComboBox::CCJFlatComboBox(QWidget* parent)
    : CCJFlatComboBox(parent, [] { return QCursor::pos(); }) {}

CCJFlatComboBox::CCJFlatComboBox(QWidget* parent, std::function<QPoint()> cursorPosition)
    : QComboBox(parent), cursorPosition_(std::move(cursorPosition)) {
    if (QStyle* s = ClassicStyle()) setStyle(s);
    ReadColors();
    setMouseTracking(true);
    hoverTimer_.setInterval(10);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] { OnTimer(); });
}

int CCJFlatComboBox::ThumbWidth() const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect arrow =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
    // The button area runs from the arrow's left edge to the inner frame.
    const int w = width() - 2 - arrow.left();
    return (arrow.isValid() && w > 0) ? w : 16;
}

void CCJFlatComboBox::ReadColors() {
    const SystemColors s = SystemColorsFrom(palette());
    colors_ = {s.buttonHighlight, s.buttonShadow, s.buttonFace};
}

bool CCJFlatComboBox::CursorInside() const {
    return QRect(mapToGlobal(QPoint(0, 0)), size()).contains(cursorPosition_());
}

void CCJFlatComboBox::DrawFrame(ComboFrameState state) {
    drawnStates_.push_back(state);
    pending_ = state;
    if (isVisible()) {
        repaint();
    } else {
        update();
    }
}

void CCJFlatComboBox::OnMouseMove() {
    hoverTimer_.start();
    OnTimer();
}

void CCJFlatComboBox::OnTimer() {
    if (leftButtonDown_) {
        hoverTimer_.stop();
        if (drawnHot_) {
            DrawFrame(ComboFrameState::Pressed);
            drawnHot_ = false;
        }
        return;
    }
    if (CursorInside() || hasFocus_) {
        if (drawnHot_) return;
        drawnHot_ = true;
        DrawFrame(ComboFrameState::Hot);
        return;
    }
    hoverTimer_.stop();
    if (drawnHot_) {
        DrawFrame(ComboFrameState::Flat);
        drawnHot_ = false;
    }
}

void CCJFlatComboBox::UpdateFocus() {
    // The box counts as focused while it or its edit field has the focus.
    const bool now = hasFocus();
    if (now == hasFocus_) return;
    hasFocus_ = now;
    DrawFrame(now ? ComboFrameState::Hot : ComboFrameState::Flat);
}

void CCJFlatComboBox::HookLineEdit() {
    QLineEdit* edit = lineEdit();
    if (!edit || edit == hookedEdit_) return;
    hookedEdit_ = edit;
    // Our completion replaces the toolkit's own.
    setCompleter(nullptr);
    edit->setMouseTracking(true);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& t) { OnEditUpdate(t); });
}

void CCJFlatComboBox::OnEditUpdate(const QString& text) {
    QLineEdit* edit = lineEdit();
    if (!autoComplete_ || !edit) return;
    // Erasing must not bring the erased tail straight back.
    if (skipNextCompletion_) {
        skipNextCompletion_ = false;
        return;
    }
    int start = edit->cursorPosition();
    int end = start;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        end = start + static_cast<int>(edit->selectedText().size());
    }
    std::vector<std::u16string> items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i) items.push_back(itemText(i).toStdU16String());
    const EditCompletion c = CompleteTypedText(items, text.toStdU16String(), start, end);
    if (c.item) setCurrentIndex(*c.item);
    edit->setText(QString::fromStdU16String(c.text));
    if (c.selectionEnd > c.selectionStart) {
        edit->setSelection(c.selectionStart, c.selectionEnd - c.selectionStart);
    } else {
        edit->setCursorPosition(c.selectionStart);
    }
}

void CCJFlatComboBox::hidePopup() {
    QComboBox::hidePopup();
    // The button-up that ends a click lands in the list, not here.
    if (leftButtonDown_) {
        leftButtonDown_ = false;
        update();
    }
}

bool CCJFlatComboBox::event(QEvent* e) {
    HookLineEdit();
    if (e->type() == QEvent::ShortcutOverride && IsAltCharacter(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QComboBox::event(e);
}

bool CCJFlatComboBox::eventFilter(QObject* watched, QEvent* e) {
    if (watched == hookedEdit_) {
        switch (e->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(e);
                if (IsAltCharacter(key)) {
                    e->accept();
                    return true;
                }
                if (e->type() == QEvent::KeyPress &&
                    (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete)) {
                    skipNextCompletion_ = true;
                }
                break;
            }
            case QEvent::MouseMove:
                OnMouseMove();
                break;
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                UpdateFocus();
                break;
            default:
                break;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

void CCJFlatComboBox::keyPressEvent(QKeyEvent* e) {
    if (IsAltCharacter(e)) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void CCJFlatComboBox::mouseMoveEvent(QMouseEvent* e) {
    OnMouseMove();
    QComboBox::mouseMoveEvent(e);
}

void CCJFlatComboBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) leftButtonDown_ = true;
    QComboBox::mousePressEvent(e);
}

void CCJFlatComboBox::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        leftButtonDown_ = false;
        update();
    }
    QComboBox::mouseReleaseEvent(e);
}

void CCJFlatComboBox::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    UpdateFocus();
}

void CCJFlatComboBox::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    UpdateFocus();
}

void CCJFlatComboBox::changeEvent(QEvent* e) {
    QComboBox::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) ReadColors();
}

void CCJFlatComboBox::PaintBase() {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    // A drop-down list shows its choice on the window colour of a list, as
    // native ones do; the drop-down button keeps the face colour.
    QStyleOptionComboBox field = opt;
    if (isEnabled()) field.palette.setBrush(QPalette::Button, opt.palette.base());
    field.subControls = QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxEditField;
    p.drawComplexControl(QStyle::CC_ComboBox, field);
    QStyleOptionComboBox arrow = opt;
    arrow.subControls = QStyle::SC_ComboBoxArrow;
    p.drawComplexControl(QStyle::CC_ComboBox, arrow);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

void CCJFlatComboBox::paintEvent(QPaintEvent*) {
    PaintBase();
    ComboFrameState state;
    if (pending_) {
        state = *pending_;
        pending_.reset();
    } else {
        state = (CursorInside() || hasFocus_) ? ComboFrameState::Hot : ComboFrameState::Flat;
    }
    paintedState_ = state;
    imaging::Canvas canvas(width(), height(), imaging::Canvas::kTransparent);
    const FramePair pair = ComboFramePair(state, colors_);
    DrawComboFrame(canvas, {0, 0, width(), height()}, state, pair.topLeft, pair.bottomRight,
                   colors_, isEnabled(), ThumbWidth());
    QPainter p(this);
    p.drawImage(0, 0, CanvasImage(canvas));
}
