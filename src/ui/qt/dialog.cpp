#include "ui/qt/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "ui/qt/custom_host.h"
#include "ui/qt/list_view.h"
#include "ui/qt/qt_pictures.h"
#include "ui/qt/qt_timer.h"
#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {
namespace {

QString ObjectName(const ControlTemplate& c, int index) {
    return c.id >= 0 ? QStringLiteral("ctl_%1").arg(c.id) : QStringLiteral("static_%1").arg(index);
}

// The local files a drag carries; empty when it carries anything else too.
std::vector<std::string> DraggedFiles(const QMimeData* mime) {
    std::vector<std::string> files;
    if (!mime || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) return {};
        files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

QRect ToQRect(const imaging::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

class CheckBoxControl final : public WidgetControl<CheckBox> {
public:
    CheckBoxControl(QCheckBox* box, int id) : WidgetControl(box, id), box_(box) {}
    bool GetCheck() const override { return box_->isChecked(); }
    void SetCheck(bool checked) override { box_->setChecked(checked); }

private:
    QCheckBox* box_;
};

class PictureControl final : public WidgetControl<PictureStatic> {
public:
    PictureControl(QLabel* label, int id) : WidgetControl(label, id), label_(label) {}
    void SetPicture(const imaging::Canvas& picture) override {
        const QPixmap pm = ToQPixmap(picture);
        label_->setPixmap(pm);
        // A picture static takes the picture's own size.
        if (!pm.isNull()) label_->resize(pm.size());
    }

private:
    QLabel* label_;
};

class ComboControl final : public WidgetControl<ComboBox> {
public:
    ComboControl(QComboBox* box, int id) : WidgetControl(box, id), box_(box) {}
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

QFont QtDialogPeer::DialogFont(const DialogTemplate& tmpl) {
    // "宋体" is a Song face; on Linux the AR PL UMing family stands in for it.
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), ToQString(tmpl.fontFace),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                      QStringLiteral("Noto Sans CJK SC")});
    // Points at the dialog's 96 dots per inch.
    font.setPixelSize(tmpl.fontPointSize * 96 / 72);
    return font;
}

QtDialogPeer::QtDialogPeer(Dialog& dialog, const DialogTemplate& tmpl, QWidget* owner)
    : QDialog(owner), dialog_(dialog), tmpl_(tmpl) {
    setFont(DialogFont(tmpl));
    const QFontMetrics fm(font());
    units_ = DialogUnits::FromFontMetrics(
        fm.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
        fm.height());
    setObjectName(QStringLiteral("dialog_%1").arg(tmpl.id));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (tmpl.appWindow) flags = (flags & ~Qt::Dialog) | Qt::Window;
    setWindowFlags(flags);
    setWindowTitle(ToQString(tmpl.caption));
    setFixedSize(units_.X(tmpl.cx), units_.Y(tmpl.cy));
}

QtDialogPeer::~QtDialogPeer() {
    // Children go before the controls that wrap them.
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) delete child;
}

std::unique_ptr<Control> QtDialogPeer::WrapStandard(const ControlTemplate& c, QWidget* w) {
    if (auto* list = qobject_cast<QtListView*>(w)) {
        connect(list, &QtListView::itemClickNotified, this,
                [this, id = c.id] { dialog_.HandleCommand(id, Notification::ListClick); });
        return nullptr;  // the list is its own control
    }
    if (auto* box = qobject_cast<QCheckBox*>(w))
        return std::make_unique<CheckBoxControl>(box, c.id);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return std::make_unique<ComboControl>(combo, c.id);
    if (auto* label = qobject_cast<QLabel*>(w);
        label && (c.cls == ControlClass::StaticBitmap || c.cls == ControlClass::StaticIcon)) {
        return std::make_unique<PictureControl>(label, c.id);
    }
    return std::make_unique<WidgetControl<Control>>(w, c.id);
}

QWidget* QtDialogPeer::CreateControl(const ControlTemplate& c, int index, CustomControl* custom) {
    QWidget* w = nullptr;
    Control* control = nullptr;
    if (custom) {
        const CustomHostParts host = CreateCustomHost(*custom, c.id, this, [this, id = c.id] {
            dialog_.HandleCommand(id, Notification::Clicked);
        });
        w = host.widget;
        control = host.control;
    } else {
        switch (c.cls) {
            case ControlClass::Button:
                w = new QPushButton(this);
                break;
            case ControlClass::CheckBox:
                w = new QCheckBox(this);
                break;
            case ControlClass::GroupBox:
                w = new QGroupBox(this);
                break;
            case ControlClass::Edit:
                w = new QLineEdit(this);
                break;
            case ControlClass::ListView: {
                auto* list = new QtListView(c.id, this);
                control = list;
                w = list;
                break;
            }
            case ControlClass::ComboBox:
                w = new QComboBox(this);
                break;
            case ControlClass::EtchedLine: {
                auto* f = new QFrame(this);
                f->setFrameShape(QFrame::HLine);
                f->setFrameShadow(QFrame::Sunken);
                w = f;
                break;
            }
            case ControlClass::Static:
            case ControlClass::StaticBitmap:
            case ControlClass::StaticIcon:
                w = new QLabel(this);
                break;
        }
        if (auto owned = WrapStandard(c, w)) {
            control = owned.get();
            owned_.push_back(std::move(owned));
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id = c.id] { dialog_.HandleCommand(id, Notification::Clicked); });
        }
    }
    w->setObjectName(ObjectName(c, index));
    QRect r = ToQRect(units_.ToPixels(c.x, c.y, c.cx, c.cy));
    const QString text = ToQString(c.text);

    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (c.cls == ControlClass::StaticBitmap || c.cls == ControlClass::StaticIcon) {
            const QPixmap pm = ToQPixmap(dialog_.TemplatePicture(c.imageId));
            if (!pm.isNull()) {
                label->setPixmap(pm);
                // A picture static takes the picture's own size.
                r.setSize(pm.size());
            }
            if (c.style & kCenterText) label->setAlignment(Qt::AlignCenter);
        } else {
            label->setText(text);
            // Text wraps only where the template leaves room for a second line;
            // a one-line static clips, as the native one does.
            label->setWordWrap(c.cy >= 16);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (!text.isEmpty()) combo->addItems(text.split(QLatin1Char('\n')));
        combo->setCurrentIndex(-1);
        // The template height includes the dropped list; the closed box is one line high.
        r.setHeight(units_.Y(12));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        edit->setFrame(c.style & kStaticEdge);
    } else if (!text.isEmpty() || c.cls == ControlClass::GroupBox) {
        SetWidgetText(w, text);
    }
    if (c.cls == ControlClass::GroupBox) {
        // A group box only frames its siblings; clicks go through to them.
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    w->setGeometry(r);
    w->setFocusPolicy((c.style & kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    if (c.style & kDisabled) w->setEnabled(false);
    w->setVisible(!(c.style & kHidden));
    if (c.id >= 0) {
        widgets_[c.id] = w;
        if (control) items_[c.id] = control;
    }
    return w;
}

void QtDialogPeer::CreateControls(const std::map<int, CustomControl*>& custom) {
    if (created_) return;
    created_ = true;
    QWidget* previousTab = nullptr;
    int index = 0;
    for (const auto& c : tmpl_.controls) {
        auto it = c.id >= 0 ? custom.find(c.id) : custom.end();
        QWidget* w = CreateControl(c, index++, it == custom.end() ? nullptr : it->second);
        if (c.style & kTabStop) {
            if (previousTab) QWidget::setTabOrder(previousTab, w);
            previousTab = w;
        }
    }
    WatchKeys(this);
    for (QWidget* child : findChildren<QWidget*>()) WatchKeys(child);
}

void QtDialogPeer::WatchKeys(QWidget* w) {
    w->installEventFilter(this);
}

void QtDialogPeer::FocusFirstTabStop() {
    for (const auto& c : tmpl_.controls) {
        if ((c.style & kTabStop) && !(c.style & (kHidden | kDisabled))) {
            if (QWidget* w = Widget(c.id)) w->setFocus();
            break;
        }
    }
}

Control* QtDialogPeer::Item(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

QWidget* QtDialogPeer::Widget(int id) const {
    auto it = widgets_.find(id);
    return it == widgets_.end() ? nullptr : it->second;
}

Control* QtDialogPeer::FocusedItem() const {
    QWidget* focus = focusWidget();
    // An edit field inside a combo box stands for the box.
    while (focus && focus != this) {
        if (Control* c = ControlOf(focus)) return c;
        focus = focus->parentWidget();
    }
    return nullptr;
}

int QtDialogPeer::RunModal() {
    return exec();
}

void QtDialogPeer::End(int code) {
    ending_ = true;
    done(code);
    ending_ = false;
}

void QtDialogPeer::Show(bool visible) {
    setVisible(visible);
}
bool QtDialogPeer::IsVisible() const {
    return isVisible();
}
void QtDialogPeer::SetIcon(const imaging::Canvas& icon) {
    setWindowIcon(QIcon(ToQPixmap(icon)));
}

std::unique_ptr<Timer> QtDialogPeer::MakeTimer(std::chrono::milliseconds interval,
                                               std::function<void()> tick) {
    return std::make_unique<QtTimer>(this, interval, std::move(tick));
}

bool QtDialogPeer::WakeLink() {
    if (!QCoreApplication::instance()) return false;
    // Queued by name: Qt makes and frees the call event itself, and what the
    // window thread then runs comes out of the link's queue, under the link's
    // lock. A queued functor would be a heap object made on the worker and
    // read on this thread with only Qt's own lock between them, a hand-over
    // ThreadSanitizer cannot see. The caller holds the link's lock, so this
    // window cannot go meanwhile; once it has gone, Qt drops the call.
    return QMetaObject::invokeMethod(this, "RunLinkCalls", Qt::QueuedConnection);
}

void QtDialogPeer::AcceptFileDrops(bool on) {
    fileDrops_ = on;
    setAcceptDrops(on);
}

void QtDialogPeer::WatchContextMenu(int id) {
    QWidget* w = Widget(id);
    if (!w) return;
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, id] { dialog_.HandleCommand(id, Notification::ContextMenu); });
}

bool QtDialogPeer::FileDragEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const auto files = DraggedFiles(drag->mimeData());
            if (!files.empty() && dialog_.HandleFileDrag(files)) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const auto files = DraggedFiles(drop->mimeData());
            if (!files.empty() && dialog_.HandleFileDrop(files)) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            return false;
    }
}

void QtDialogPeer::RunLinkCalls() {
    // A copy: a call that closed the window must not take the link with it.
    const std::shared_ptr<DialogLink> link = dialog_.Link();
    link->RunWaiting();
}

void QtDialogPeer::reject() {
    // Esc and the close box end the window through OnCancel, which a window
    // may override; ending it from there comes back here as End().
    if (ending_) {
        QDialog::reject();
        return;
    }
    dialog_.HandleClose();
}

bool QtDialogPeer::eventFilter(QObject* watched, QEvent* event) {
    // Every drag over this window is the window's, whichever control is
    // under the pointer.
    if (fileDrops_ && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
                       event->type() == QEvent::Drop)) {
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == this) {
            return FileDragEvent(event);
        }
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        // A window this one owns (a dialog over it, a combo box's popup) is
        // one of its widgets too, but its keys are its own.
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() != this) {
            return QDialog::eventFilter(watched, event);
        }
        const bool shortcut = event->type() == QEvent::ShortcutOverride;
        if (dialog_.HandleKey(KeyPressFrom(*static_cast<QKeyEvent*>(event), shortcut))) {
            // An accepted shortcut check keeps the shortcut (Ctrl+V, a
            // mnemonic) from firing; the key press itself is eaten.
            if (shortcut) event->accept();
            return true;
        }
    } else if (event->type() == QEvent::ChildAdded && watched == this) {
        if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            WatchKeys(w);
        }
    }
    return QDialog::eventFilter(watched, event);
}

QtDialogPeer& PeerOf(const Dialog& dialog) {
    return static_cast<QtDialogPeer&>(dialog.Peer());
}
QWidget& WindowOf(const Dialog& dialog) {
    return PeerOf(dialog);
}
QWidget* WidgetOf(const Dialog& dialog, int id) {
    return PeerOf(dialog).Widget(id);
}

}  // namespace nimbo::ui::qt

namespace nimbo::ui {

std::unique_ptr<DialogPeer> MakeDialogPeer(Dialog& dialog, const DialogTemplate& tmpl,
                                           DialogPeer* owner) {
    QWidget* ownerWindow = owner ? static_cast<qt::QtDialogPeer*>(owner) : nullptr;
    return std::make_unique<qt::QtDialogPeer>(dialog, tmpl, ownerWindow);
}

}  // namespace nimbo::ui
