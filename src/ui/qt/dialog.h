#pragma once
// The Qt window of a ui::Dialog: a QDialog whose controls are created from the
// template, named "ctl_<id>" (or "static_<index>" for id -1) so that tests
// and tools find them, in template order, which is also the tab order.
#include <QDialog>
#include <QFont>
#include <map>
#include <memory>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_peer.h"

namespace nimbo::ui::qt {

class QtDialogPeer final : public QDialog, public DialogPeer {
    Q_OBJECT
public:
    QtDialogPeer(Dialog& dialog, const DialogTemplate& tmpl, QWidget* owner);
    ~QtDialogPeer() override;

    void CreateControls(const std::map<int, CustomControl*>& custom) override;
    Control* Item(int id) const override;
    Control* FocusedItem() const override;
    void FocusFirstTabStop() override;
    int RunModal() override;
    void End(int code) override;
    void Show(bool visible) override;
    bool IsVisible() const override;
    void SetIcon(const imaging::Canvas& icon) override;
    DialogUnits Units() const override { return units_; }
    std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                     std::function<void()> tick) override;
    bool WakeLink() override;
    void AcceptFileDrops(bool on) override;
    void WatchContextMenu(int id) override;

    // The widget of a control; null when there is none.
    QWidget* Widget(int id) const;
    Dialog& Owner() const { return dialog_; }

    // "宋体" asked for by a family list that finds a Song face on every system.
    static QFont DialogFont(const DialogTemplate& tmpl);

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Queued by WakeLink, run on the window thread.
    Q_INVOKABLE void RunLinkCalls();

    QWidget* CreateControl(const ControlTemplate& c, int index, CustomControl* custom);
    std::unique_ptr<Control> WrapStandard(const ControlTemplate& c, QWidget* w);
    void WatchKeys(QWidget* w);

    Dialog& dialog_;
    const DialogTemplate& tmpl_;
    DialogUnits units_;
    std::map<int, QWidget*> widgets_;
    std::map<int, Control*> items_;
    std::vector<std::unique_ptr<Control>> owned_;
    bool FileDragEvent(QEvent* event);

    bool created_ = false;
    bool ending_ = false;
    bool fileDrops_ = false;
};

// The Qt window of a ui::Dialog (for tests and the backend).
QtDialogPeer& PeerOf(const Dialog& dialog);
QWidget& WindowOf(const Dialog& dialog);
// A control's widget by id; null when there is none.
QWidget* WidgetOf(const Dialog& dialog, int id);

}  // namespace nimbo::ui::qt
