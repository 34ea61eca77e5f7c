#pragma once
// A window built from a dialog template: every control is created at its
// template position (dialog units turned into pixels with the dialog font's
// base units), named "ctl_<id>" (or "static_<index>" for id -1), in template
// order, which is also the tab order. Handlers are bound to control ids in a
// message map; control texts are reachable by id from any thread via Link().
#include <QDialog>
#include <QFont>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/qt/dialog_link.h"
#include "ui/qt/dialog_units.h"
#include "templates/dialog_template.h"

namespace nimbo::ui {

enum class Notification { Clicked, ListClick };

class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(const resources::DialogTemplate& tmpl, QWidget* parent = nullptr);
    ~Dialog() override;

    // Modal: creates the controls, runs OnInitDialog, then the modal loop.
    int DoModal();
    // Modeless: creates the controls, runs OnInitDialog and shows the window.
    bool Create();

    QWidget* GetDlgItem(int id) const;
    // UI thread only; from other threads go through Link().
    void SetItemTextNow(int id, const std::string& text);
    std::string ItemTextNow(int id) const;
    const std::shared_ptr<DialogLink>& Link() const { return link_; }

    const resources::DialogTemplate& Template() const { return tmpl_; }
    const DialogUnits& Units() const { return units_; }
    static QFont DialogFont(const resources::DialogTemplate& tmpl);

protected:
    // Gives a control id its own class (the counterpart of subclassing a
    // template control). Call before the controls are created, e.g. in the
    // constructor; the factory gets the dialog as parent.
    using ControlFactory = std::function<QWidget*(QWidget* parent)>;
    void SetControlFactory(int id, ControlFactory factory);
    template <typename T>
    void BindControl(int id, T*& member) {
        SetControlFactory(id, [&member](QWidget* parent) {
            member = new T(parent);
            return member;
        });
    }

    // Message map: one handler per control id and notification.
    void OnCommand(int id, std::function<void()> handler);
    void OnNotify(int id, Notification n, std::function<void()> handler);

    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { accept(); }
    virtual void OnCancel() { reject(); }

    void reject() override;

private:
    void CreateControls();
    QWidget* CreateControl(const resources::ControlTemplate& c, int index);
    void ConnectHandlers();

    const resources::DialogTemplate& tmpl_;
    DialogUnits units_;
    std::shared_ptr<DialogLink> link_;
    std::map<int, ControlFactory> factories_;
    std::map<int, QWidget*> items_;
    std::multimap<std::pair<int, Notification>, std::function<void()>> handlers_;
    bool created_ = false;
    bool inReject_ = false;
};

}  // namespace nimbo::ui
