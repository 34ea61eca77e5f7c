#include "ui/qt/custom_combo_host.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {
namespace {

// The classic combo box is what the flat frame is drawn over; one style
// object serves every box.
QStyle* ClassicStyle() {
    static QStyle* style = [] {
        QStyle* s = QStyleFactory::create(QStringLiteral("Windows"));
        if (s) s->setParent(qApp);
        return s;
    }();
    return style;
}

class ComboListControl final : public WidgetControl<ComboBox> {
public:
    ComboListControl(QComboBox* box, int id) : WidgetControl(box, id), box_(box) {}

    // An editable box takes the text into its edit field; a drop-down list
    // can only choose an item with that text.
    void SetText(const std::string& utf8) override {
        const QString text = ToQString(utf8);
        if (box_->isEditable()) {
            box_->setEditText(text);
        } else if (const int index = box_->findText(text); index >= 0) {
            box_->setCurrentIndex(index);
        }
    }
    int AddString(const std::string& utf8) override {
        box_->addItem(ToQString(utf8));
        return box_->count() - 1;
    }
    void ResetContent() override { box_->clear(); }
    int GetCount() const override { return box_->count(); }
    int GetCurSel() const override { return box_->currentIndex(); }
    void SetCurSel(int index) override { box_->setCurrentIndex(index); }
    std::string GetLBText(int index) const override { return box_->itemText(index).toStdString(); }

private:
    QComboBox* box_;
};

}  // namespace

class CustomComboHost::Host : public QtCustomHost, public ComboHost {
public:
    Host(CustomComboHost* box, CustomControl& control, int id, std::function<void()> onCommand,
         std::function<QPoint()> cursorPosition)
        : QtCustomHost(box, control, std::make_unique<ComboListControl>(box, id),
                       std::move(onCommand), std::move(cursorPosition)),
          box_(box) {}

    ui::ComboHost* Combo() override { return this; }

    ComboBox& List() override { return static_cast<ComboBox&>(Self()); }
    int ThumbWidth() const override { return box_->ThumbWidth(); }
    bool HasEditField() const override { return box_->lineEdit() != nullptr; }
    std::u16string EditText() const override {
        return Edit() ? Edit()->text().toStdU16String() : std::u16string();
    }
    void SetEditText(const std::u16string& text) override {
        if (Edit()) Edit()->setText(QString::fromStdU16String(text));
    }
    int EditCursor() const override { return Edit() ? Edit()->cursorPosition() : 0; }
    void SetEditSelection(int start, int end) override {
        if (!Edit()) return;
        if (end > start) {
            Edit()->setSelection(start, end - start);
        } else {
            Edit()->setCursorPosition(start);
        }
    }
    bool EditHasSelection() const override { return Edit() && Edit()->hasSelectedText(); }
    int EditSelectionStart() const override { return Edit() ? Edit()->selectionStart() : -1; }
    int EditSelectionLength() const override {
        return Edit() ? static_cast<int>(Edit()->selectedText().size()) : 0;
    }
    std::u16string ItemText16(int index) const override {
        return box_->itemText(index).toStdU16String();
    }

private:
    QLineEdit* Edit() const { return box_->lineEdit(); }

    CustomComboHost* box_;
};

CustomComboHost::CustomComboHost(CustomControl& control, int id, QWidget* parent,
                                 std::function<void()> onCommand,
                                 std::function<QPoint()> cursorPosition)
    : QComboBox(parent),
      host_(std::make_unique<Host>(this, control, id, std::move(onCommand),
                                   std::move(cursorPosition))) {
    if (QStyle* s = ClassicStyle()) setStyle(s);
    setMouseTracking(true);
    host_->Attach();
}

CustomComboHost::~CustomComboHost() {
    host_->Detach();
}

Control* CustomComboHost::SelfControl() const {
    return host_->SelfControl();
}

int CustomComboHost::ThumbWidth() const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect arrow =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
    // The button area runs from the arrow's left edge to the inner frame.
    const int w = width() - 2 - arrow.left();
    return (arrow.isValid() && w > 0) ? w : 16;
}

void CustomComboHost::HookLineEdit() {
    QLineEdit* edit = lineEdit();
    if (!edit || edit == hookedEdit_) return;
    hookedEdit_ = edit;
    // The control's completion replaces the toolkit's own.
    setCompleter(nullptr);
    edit->setMouseTracking(true);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (CustomControl* c = host_->Client()) c->OnEditTextEdited(t.toStdU16String());
    });
}

void CustomComboHost::hidePopup() {
    QComboBox::hidePopup();
    // The button-up that ends a click lands in the list, not here.
    if (CustomControl* c = host_->Client()) c->OnPopupHidden();
}

bool CustomComboHost::event(QEvent* e) {
    HookLineEdit();
    switch (e->type()) {
        case QEvent::ShortcutOverride:
            if (host_->Key(*static_cast<QKeyEvent*>(e), true)) {
                e->accept();
                return true;
            }
            break;
        case QEvent::WindowDeactivate:
        case QEvent::WindowBlocked:
            host_->Deactivated();
            break;
        default:
            break;
    }
    return QComboBox::event(e);
}

bool CustomComboHost::eventFilter(QObject* watched, QEvent* e) {
    if (watched == hookedEdit_) {
        switch (e->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
                if (host_->Key(*static_cast<QKeyEvent*>(e),
                               e->type() == QEvent::ShortcutOverride)) {
                    e->accept();
                    return true;
                }
                break;
            case QEvent::MouseMove: {
                // The control sees the edit field's pointer in the box's coordinates.
                const auto* m = static_cast<QMouseEvent*>(e);
                const QPointF local = hookedEdit_->mapTo(this, m->position());
                const QMouseEvent moved(QEvent::MouseMove, local, m->globalPosition(), m->button(),
                                        m->buttons(), m->modifiers());
                host_->PointerMoved(moved);
                break;
            }
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                // The box counts as focused while it or its edit field has the focus.
                host_->FocusChanged(hasFocus());
                break;
            default:
                break;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

void CustomComboHost::keyPressEvent(QKeyEvent* e) {
    if (host_->Key(*e, false)) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void CustomComboHost::mouseMoveEvent(QMouseEvent* e) {
    host_->PointerMoved(*e);
    QComboBox::mouseMoveEvent(e);
}

void CustomComboHost::mousePressEvent(QMouseEvent* e) {
    host_->LeftDown(*e);
    QComboBox::mousePressEvent(e);
}

void CustomComboHost::mouseReleaseEvent(QMouseEvent* e) {
    host_->LeftUp(*e);
    QComboBox::mouseReleaseEvent(e);
}

void CustomComboHost::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    host_->FocusChanged(hasFocus());
}

void CustomComboHost::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    host_->FocusChanged(hasFocus());
}

void CustomComboHost::changeEvent(QEvent* e) {
    QComboBox::changeEvent(e);
    host_->Changed(*e);
}

void CustomComboHost::resizeEvent(QResizeEvent* e) {
    QComboBox::resizeEvent(e);
    host_->Resized();
}

void CustomComboHost::PaintBase() {
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

void CustomComboHost::paintEvent(QPaintEvent*) {
    PaintBase();
    host_->PaintSurface(true);
}

}  // namespace nimbo::ui::qt
