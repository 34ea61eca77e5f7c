#pragma once
// The backend's half of a window: what ui::Dialog asks of the window system.
// A backend (ui/qt/, ui/win/) implements it and MakeDialogPeer.
#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "imaging/canvas.h"
#include "ui/control.h"
#include "ui/custom_control.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/timer.h"

namespace nimbo::ui {

class Dialog;

class DialogPeer {
public:
    virtual ~DialogPeer() = default;
    // Creates every control of the template; ids in `custom` get a host for
    // the given control instead of the template's class. Command and key
    // events go to the owning Dialog's Handle... entry points.
    virtual void CreateControls(const std::map<int, CustomControl*>& custom) = 0;
    virtual Control* Item(int id) const = 0;
    virtual Control* FocusedItem() const = 0;
    // Gives the first tab stop the focus.
    virtual void FocusFirstTabStop() = 0;
    virtual int RunModal() = 0;
    virtual void End(int code) = 0;
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetIcon(const imaging::Canvas& icon) = 0;
    virtual DialogUnits Units() const = 0;
    virtual std::unique_ptr<Timer> MakeTimer(std::chrono::milliseconds interval,
                                             std::function<void()> tick) = 0;
    // Asks the window thread to run the calls waiting in the dialog's link
    // (DialogLink::RunWaiting) soon. Callable from any thread while the peer
    // exists; false, with nothing asked, when there is no application object
    // to run them.
    virtual bool WakeLink() = 0;
    // Files dragged from the desktop onto the window or any of its controls
    // go to the Dialog's HandleFileDrag/HandleFileDrop, and nowhere else (an
    // edit field does not take the file's name as text).
    virtual void AcceptFileDrops(bool on) = 0;
    // A right click on a control goes to HandleCommand(id, ContextMenu).
    virtual void WatchContextMenu(int id) = 0;
};

// The backend's window for `dialog`, sized and captioned from its template,
// over `owner`'s window when it has one.
std::unique_ptr<DialogPeer> MakeDialogPeer(Dialog& dialog, const DialogTemplate& tmpl,
                                           DialogPeer* owner);

}  // namespace nimbo::ui
