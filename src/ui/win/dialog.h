#pragma once
// The Win32 window of a ui::Dialog: a top-level window of the kit's class
// whose child controls are created from the template, in template order
// (also the tab order), at their dialog-unit places in the 宋体 9 pt dialog
// font. Standard controls are the system's (BUTTON, EDIT, STATIC, COMBOBOX,
// SysListView32); custom controls get a host window (custom_host.h).
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_peer.h"

namespace nimbo::ui::win {

class CustomHostWindow;
class Win32ListView;

class Win32DialogPeer final : public DialogPeer {
public:
    Win32DialogPeer(Dialog& dialog, const DialogTemplate& tmpl, Win32DialogPeer* owner);
    ~Win32DialogPeer() override;

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

    HWND Hwnd() const { return hwnd_; }
    HWND ItemHwnd(int id) const;
    HFONT Font() const { return font_; }
    Dialog& Owner() const { return dialog_; }
    // The custom hosts created so far, in template order (for backgrounds).
    const std::vector<CustomHostWindow*>& CustomHosts() const { return hosts_; }

    // From the window procedure.
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // A key press bound for this window or one of its controls; true: swallowed.
    bool PreTranslate(MSG& msg);

private:
    HWND CreateStandard(const ControlTemplate& c, int index);

    Dialog& dialog_;
    const DialogTemplate& tmpl_;
    Win32DialogPeer* ownerPeer_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    DialogUnits units_;
    std::map<int, HWND> hwnds_;
    std::map<int, Control*> items_;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<std::unique_ptr<CustomHostWindow>> customOwned_;
    std::vector<CustomHostWindow*> hosts_;
    std::map<int, Win32ListView*> lists_;
    std::set<int> contextMenuIds_;
    bool created_ = false;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = 0;
    int defaultButton_ = 0;
};

// The Win32 window of a ui::Dialog (for tests and the backend).
Win32DialogPeer& PeerOf(const Dialog& dialog);
// Every window of the kit that exists now, oldest first (for tests).
std::vector<Win32DialogPeer*> KitWindows();

}  // namespace nimbo::ui::win
