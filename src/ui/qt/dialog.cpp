#include "ui/qt/dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "icons/icons.h"
#include "ui/qt/list_view.h"
#include "templates/control_ids.h"

namespace nimbo::ui {

using resources::ControlClass;
using resources::ControlTemplate;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QString ObjectName(const ControlTemplate& c, int index) {
    return c.id >= 0 ? QStringLiteral("ctl_%1").arg(c.id) : QStringLiteral("static_%1").arg(index);
}

}  // namespace

QFont Dialog::DialogFont(const resources::DialogTemplate& tmpl) {
    // "宋体" is a Song face; on Linux the AR PL UMing family stands in for it.
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), Q(tmpl.fontFace), QStringLiteral("AR PL UMing CN"),
                      QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Sans CJK SC")});
    // 9 points at the dialog's 96 dots per inch.
    font.setPixelSize(tmpl.fontPointSize * 96 / 72);
    return font;
}

Dialog::Dialog(const resources::DialogTemplate& tmpl, QWidget* parent)
    : QDialog(parent), tmpl_(tmpl), link_(std::make_shared<DialogLink>(this)) {
    setFont(DialogFont(tmpl));
    units_ = DialogUnits::FromFont(font());
    setObjectName(QStringLiteral("dialog_%1").arg(tmpl.id));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (tmpl.appWindow) flags = (flags & ~Qt::Dialog) | Qt::Window;
    setWindowFlags(flags);
    setWindowTitle(Q(tmpl.caption));
    setFixedSize(units_.X(tmpl.cx), units_.Y(tmpl.cy));
}

Dialog::~Dialog() { link_->Cut(); }

void Dialog::SetControlFactory(int id, ControlFactory factory) { factories_[id] = std::move(factory); }

void Dialog::OnCommand(int id, std::function<void()> handler) {
    handlers_.emplace(std::make_pair(id, Notification::Clicked), std::move(handler));
}

void Dialog::OnNotify(int id, Notification n, std::function<void()> handler) {
    handlers_.emplace(std::make_pair(id, n), std::move(handler));
}

QWidget* Dialog::GetDlgItem(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

QWidget* Dialog::CreateControl(const ControlTemplate& c, int index) {
    QWidget* w = nullptr;
    auto factory = factories_.find(c.id);
    if (c.id >= 0 && factory != factories_.end()) {
        w = factory->second(this);
    } else {
        switch (c.cls) {
            case ControlClass::Button: w = new QPushButton(this); break;
            case ControlClass::CheckBox: w = new QCheckBox(this); break;
            case ControlClass::GroupBox: w = new QGroupBox(this); break;
            case ControlClass::Edit: w = new QLineEdit(this); break;
            case ControlClass::ListView: w = new ListView(this); break;
            case ControlClass::ComboBox: w = new QComboBox(this); break;
            case ControlClass::EtchedLine: {
                auto* f = new QFrame(this);
                f->setFrameShape(QFrame::HLine);
                f->setFrameShadow(QFrame::Sunken);
                w = f;
                break;
            }
            case ControlClass::Static:
            case ControlClass::StaticBitmap:
            case ControlClass::StaticIcon: w = new QLabel(this); break;
        }
    }
    w->setObjectName(ObjectName(c, index));
    QRect r = units_.ToPixels(c.x, c.y, c.cx, c.cy);
    const QString text = Q(c.text);

    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (c.cls == ControlClass::StaticBitmap || c.cls == ControlClass::StaticIcon) {
            QPixmap pm;
            if (c.imageId == ids::kBannerBitmap) {
                pm = QPixmap::fromImage(resources::LoadBannerBitmap());
            } else if (c.imageId != 0) {
                pm = resources::LoadIconPixmap(c.imageId);
            }
            if (!pm.isNull()) {
                label->setPixmap(pm);
                // A picture static takes the picture's own size.
                r.setSize(pm.size());
            }
            if (c.style & resources::kCenterText) label->setAlignment(Qt::AlignCenter);
        } else {
            label->setText(text);
            // Text wraps only where the template leaves room for a second line;
            // a one-line static clips, as the platform's does.
            label->setWordWrap(c.cy >= 16);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
        edit->setFrame(c.style & resources::kStaticEdge);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (!text.isEmpty()) combo->addItems(text.split(QLatin1Char('\n')));
        combo->setCurrentIndex(-1);
        // The template height includes the dropped list; the closed box is one line high.
        r.setHeight(units_.Y(12));
    } else if (c.cls == ControlClass::GroupBox || c.cls == ControlClass::StaticBitmap) {
        w->setProperty("text", text);
    } else if (!text.isEmpty()) {
        w->setProperty("text", text);
    }
    if (c.cls == ControlClass::GroupBox) {
        // A group box only frames its siblings; clicks go through to them.
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        w->setFocusPolicy(Qt::NoFocus);
    }
    w->setGeometry(r);
    w->setFocusPolicy((c.style & resources::kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    if (c.style & resources::kDisabled) w->setEnabled(false);
    w->setVisible(!(c.style & resources::kHidden));
    return w;
}

void Dialog::CreateControls() {
    if (created_) return;
    created_ = true;
    QWidget* previousTab = nullptr;
    int index = 0;
    for (const auto& c : tmpl_.controls) {
        QWidget* w = CreateControl(c, index++);
        if (c.id >= 0) items_[c.id] = w;
        if (c.style & resources::kTabStop) {
            if (previousTab) QWidget::setTabOrder(previousTab, w);
            previousTab = w;
        }
    }
    ConnectHandlers();
    // The first control with a tab stop takes the initial focus.
    for (const auto& c : tmpl_.controls) {
        if ((c.style & resources::kTabStop) && !(c.style & (resources::kHidden | resources::kDisabled))) {
            if (QWidget* w = GetDlgItem(c.id)) w->setFocus();
            break;
        }
    }
}

void Dialog::ConnectHandlers() {
    for (auto& [key, handler] : handlers_) {
        QWidget* w = GetDlgItem(key.first);
        if (!w) continue;
        auto fn = handler;
        if (key.second == Notification::Clicked) {
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                connect(b, &QAbstractButton::clicked, this, [fn] { fn(); });
            }
        } else if (auto* list = qobject_cast<ListView*>(w)) {
            connect(list, &ListView::itemClickNotified, this, [fn] { fn(); });
        }
    }
}

int Dialog::DoModal() {
    CreateControls();
    OnInitDialog();
    return exec();
}

bool Dialog::Create() {
    CreateControls();
    OnInitDialog();
    show();
    return true;
}

void Dialog::reject() {
    // Esc and the close box end the dialog through OnCancel, which a window
    // may override; the base OnCancel comes back here.
    if (inReject_) {
        QDialog::reject();
        return;
    }
    inReject_ = true;
    OnCancel();
    inReject_ = false;
}

void Dialog::SetItemTextNow(int id, const std::string& text) {
    QWidget* w = GetDlgItem(id);
    if (!w) return;
    const QString q = QString::fromStdString(text);
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(q);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(q);
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(q);
    else w->setProperty("text", q);
}

std::string Dialog::ItemTextNow(int id) const {
    QWidget* w = GetDlgItem(id);
    if (!w) return {};
    QString q;
    if (auto* l = qobject_cast<QLabel*>(w)) q = l->text();
    else if (auto* e = qobject_cast<QLineEdit*>(w)) q = e->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) q = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w)) q = g->title();
    else if (auto* c = qobject_cast<QComboBox*>(w)) q = c->currentText();
    else q = w->property("text").toString();
    return q.toStdString();
}

}  // namespace nimbo::ui
