#pragma once
// A window built from a dialog template. Every control is created at its
// template position (dialog units turned into pixels with the dialog font),
// in template order, which is also the tab order. Handlers are bound to
// control ids in a message map; control texts are reachable by id from any
// thread through Link(). The window itself is the backend's (DialogPeer);
// this class holds what the program's windows share on every backend.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/canvas.h"
#include "ui/control.h"
#include "ui/custom_control.h"
#include "ui/dialog_link.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/keys.h"
#include "ui/timer.h"

namespace nimbo::ui {

class DialogPeer;

enum class Notification { Clicked, ListClick, ContextMenu };

// What DoModal returns for OK and Cancel.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class Dialog {
public:
    // A window with an owner sits over it; a modal one disables the owner.
    explicit Dialog(const DialogTemplate& tmpl, Dialog* owner = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Modal: creates the controls, runs OnInitDialog, then the modal loop.
    // Returns the code EndDialog was given.
    int DoModal();
    // Modeless: creates the controls, runs OnInitDialog and shows the window.
    bool Create();
    // Ends the modal loop with `code`; a modeless window is hidden.
    void EndDialog(int code);
    void ShowWindow(bool visible);
    bool IsWindowVisible() const;
    void SetIcon(const imaging::Canvas& icon);

    // The control with this id; null when there is none (or before Create).
    Control* GetDlgItem(int id) const;
    // The control that has the keyboard focus; null when none of this window's.
    Control* GetFocus() const;
    // The control of our own class bound to this id (BindControl); null otherwise.
    CustomControl* CustomItem(int id) const;
    template <typename T>
    T* Item(int id) const {
        return dynamic_cast<T*>(GetDlgItem(id));
    }
    // Window thread only; from other threads go through Link().
    void SetItemTextNow(int id, const std::string& text);
    std::string ItemTextNow(int id) const;
    const std::shared_ptr<DialogLink>& Link() const { return link_; }

    const DialogTemplate& Template() const { return tmpl_; }
    DialogUnits Units() const;
    std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                     std::function<void()> tick);

    // The backend's window, for the backend itself and its tests.
    DialogPeer& Peer() const { return *peer_; }
    Dialog* Owner() const { return owner_; }

    // Entry points for the backend.
    // The picture an image static of the template shows (by its image id).
    imaging::Canvas TemplatePicture(int imageId) const;
    void HandleCommand(int id, Notification n);
    void HandleClose();                   // close box, Esc
    bool HandleKey(const KeyPress& key);  // true: swallowed
    // Files dragged over the window: whether a drop would be taken.
    bool HandleFileDrag(const std::vector<std::string>& paths) { return WantsFiles(paths); }
    // Files dropped on the window: true when taken.
    bool HandleFileDrop(const std::vector<std::string>& paths) { return OnDropFiles(paths); }

protected:
    // Gives a control id a class of our own. Call before the controls are
    // created, e.g. in the constructor; the window keeps the control.
    template <typename T>
    void BindControl(int id, T*& member) {
        auto control = std::make_unique<T>();
        member = control.get();
        AttachCustom(id, std::move(control));
    }
    void AttachCustom(int id, std::unique_ptr<CustomControl> control);
    // Where the template's image statics get their pictures; call before the
    // controls are created. Without one they stay empty.
    void SetPictureSource(std::function<imaging::Canvas(int imageId)> source) {
        pictureSource_ = std::move(source);
    }

    // Message map: one handler per control id and notification. A
    // ContextMenu handler makes the control report right clicks.
    void OnCommand(int id, std::function<void()> handler);
    void OnNotify(int id, Notification n, std::function<void()> handler);
    // Files dropped from the desktop reach WantsFiles/OnDropFiles; call in
    // OnInitDialog.
    void AcceptFileDrops();
    virtual bool WantsFiles(const std::vector<std::string>&) { return false; }
    virtual bool OnDropFiles(const std::vector<std::string>&) { return false; }

    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }
    // Every key press in the window or its controls passes here first; true
    // swallows it.
    virtual bool PreTranslateKey(const KeyPress&) { return false; }

private:
    void CreateControls();

    const DialogTemplate& tmpl_;
    Dialog* owner_;
    std::unique_ptr<DialogPeer> peer_;
    std::shared_ptr<DialogLink> link_;
    std::map<int, std::unique_ptr<CustomControl>> custom_;
    std::function<imaging::Canvas(int)> pictureSource_;
    std::multimap<std::pair<int, Notification>, std::function<void()>> handlers_;
    std::vector<int> contextMenus_;
    bool created_ = false;
    bool inClose_ = false;
};

}  // namespace nimbo::ui
