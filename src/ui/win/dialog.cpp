#include "ui/win/dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win/wide.h"
#include "ui/dialog_link.h"
#include "ui/win/custom_host.h"
#include "ui/win/gdi.h"
#include "ui/win/hwnd_control.h"
#include "ui/win/keyboard.h"
#include "ui/win/list_view.h"
#include "ui/win/win_classes.h"
#include "ui/win/win_timer.h"
#include "ui/win/window_system.h"

namespace nimbo::ui::win {

using platform::win::Widen;

namespace {

// The windows of the kit that exist now, oldest first, for the message loop
// and tests. Window thread only.
std::vector<Win32DialogPeer*>& LiveWindows() {
    static std::vector<Win32DialogPeer*> live;
    return live;
}

bool IsLive(Win32DialogPeer* peer) {
    const auto& live = LiveWindows();
    return std::find(live.begin(), live.end(), peer) != live.end();
}

Win32DialogPeer* PeerOfHwnd(HWND hwnd) {
    return reinterpret_cast<Win32DialogPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

class CheckBoxControl final : public HwndControl<CheckBox> {
public:
    using HwndControl::HwndControl;
    bool GetCheck() const override { return SendMessageW(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetCheck(bool checked) override {
        SendMessageW(Hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
};

class PictureControl final : public HwndControl<PictureStatic> {
public:
    using HwndControl::HwndControl;
    ~PictureControl() override {
        if (bitmap_) DeleteObject(bitmap_);
    }
    void SetPicture(const imaging::Canvas& picture) override {
        HBITMAP old = bitmap_;
        bitmap_ = MakeBitmap(picture);
        SendMessageW(Hwnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
        if (old) DeleteObject(old);
        // A picture static takes the picture's own size.
        if (bitmap_) {
            SetWindowPos(Hwnd(), nullptr, 0, 0, picture.Width(), picture.Height(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

private:
    HBITMAP bitmap_ = nullptr;
};

}  // namespace

void RegisterKitClasses() {
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof dialog;
    dialog.lpfnWndProc = &DialogWindowProc;
    dialog.hInstance = Instance();
    dialog.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dialog.lpszClassName = kDialogClass;
    dialog.cbWndExtra = DLGWINDOWEXTRA;
    RegisterClassExW(&dialog);

    WNDCLASSEXW custom{};
    custom.cbSize = sizeof custom;
    custom.style = CS_DBLCLKS;
    custom.lpfnWndProc = &CustomWindowProc;
    custom.hInstance = Instance();
    custom.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    custom.lpszClassName = kCustomClass;
    RegisterClassExW(&custom);
}

LRESULT CALLBACK DialogWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    Win32DialogPeer* peer = PeerOfHwnd(hwnd);
    if (!peer || !peer->Hwnd()) return DefWindowProcW(hwnd, msg, wp, lp);
    return peer->Handle(msg, wp, lp);
}

void RunMessagesUntil(const bool& done) {
    MSG msg;
    while (!done) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        Win32DialogPeer* peer = nullptr;
        if (root) {
            wchar_t cls[32] = {};
            GetClassNameW(root, cls, 32);
            if (wcscmp(cls, kDialogClass) == 0) peer = PeerOfHwnd(root);
        }
        if (peer && IsLive(peer) && peer->PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Win32DialogPeer::Win32DialogPeer(Dialog& dialog, const DialogTemplate& tmpl, Win32DialogPeer* owner)
    : dialog_(dialog), tmpl_(tmpl), ownerPeer_(owner) {
    font_ = MakeFont(DialogFontSpec(tmpl.fontFace, tmpl.fontPointSize));
    // Dialog units from the font, as the dialog manager measures them.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE alphabet{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    units_ = DialogUnits::FromFontMetrics(alphabet.cx, tm.tmHeight);

    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    if (tmpl.minimizeBox) style |= WS_MINIMIZEBOX;
    DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (tmpl.appWindow ? WS_EX_APPWINDOW : 0);
    RECT r{0, 0, units_.X(tmpl.cx), units_.Y(tmpl.cy)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    // Centred over the owner, or on the screen.
    RECT area;
    if (owner && owner->Hwnd()) {
        GetWindowRect(owner->Hwnd(), &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int x = std::max<int>(0, (area.left + area.right - width) / 2);
    const int y = std::max<int>(0, (area.top + area.bottom - height) / 2);
    std::wstring caption = Widen(tmpl.caption);
    hwnd_ = CreateWindowExW(exStyle, kDialogClass, caption.c_str(), style, x, y, width, height,
                            owner ? owner->Hwnd() : nullptr, nullptr, Instance(), this);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    LiveWindows().push_back(this);
}

Win32DialogPeer::~Win32DialogPeer() {
    std::erase(LiveWindows(), this);
    if (ownerPeer_ && modal_) EnableWindow(ownerPeer_->Hwnd(), TRUE);
    // The custom hosts detach their controls before the windows go.
    customOwned_.clear();
    owned_.clear();
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    if (font_) DeleteObject(font_);
    if (icon_) DestroyIcon(icon_);
}

HWND Win32DialogPeer::CreateStandard(const ControlTemplate& c, int index) {
    (void)index;
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (c.cls) {
        case ControlClass::Button:
            cls = L"BUTTON";
            style |= (c.style & kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case ControlClass::CheckBox:
            cls = L"BUTTON";
            style |= BS_AUTOCHECKBOX;
            break;
        case ControlClass::GroupBox:
            cls = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlClass::Edit:
            cls = L"EDIT";
            style |= ES_LEFT | ((c.style & kAutoHScroll) ? ES_AUTOHSCROLL : 0) |
                     ((c.style & kReadOnly) ? ES_READONLY : 0);
            if (c.style & kStaticEdge) exStyle |= WS_EX_STATICEDGE;
            if (c.style & kBorder) style |= WS_BORDER;
            break;
        case ControlClass::ListView:
            cls = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SINGLESEL | ((c.style & kNoSortHeader) ? LVS_NOSORTHEADER : 0);
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlClass::ComboBox:
            cls = WC_COMBOBOXW;
            style |= ((c.style & kDropDownList) ? CBS_DROPDOWNLIST : CBS_DROPDOWN) |
                     ((c.style & kVScroll) ? WS_VSCROLL : 0);
            break;
        case ControlClass::EtchedLine:
            style |= SS_ETCHEDHORZ;
            break;
        case ControlClass::Static:
            style |= SS_LEFT | SS_NOPREFIX | ((c.style & kCenterText) ? SS_CENTER : 0);
            // One-line statics clip where the template leaves no second line.
            if (c.cy < 16) style |= SS_LEFTNOWORDWRAP;
            break;
        case ControlClass::StaticBitmap:
        case ControlClass::StaticIcon:
            style |= SS_BITMAP | ((c.style & kCenterText) ? SS_CENTERIMAGE : 0);
            break;
    }
    if (c.style & kTabStop) style |= WS_TABSTOP;
    if (c.style & kDisabled) style |= WS_DISABLED;
    if (c.style & kSunken) style |= SS_SUNKEN;
    if (c.style & kStaticEdge && c.cls != ControlClass::Edit) exStyle |= WS_EX_STATICEDGE;
    const imaging::Rect r = units_.ToPixels(c.x, c.y, c.cx, c.cy);
    const bool picture = c.cls == ControlClass::StaticBitmap || c.cls == ControlClass::StaticIcon;
    const bool combo = c.cls == ControlClass::ComboBox;
    std::wstring text = (picture || combo) ? std::wstring() : Widen(c.text);
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, r.left, r.top, r.Width(),
                                r.Height(), hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id < 0 ? 0 : c.id)),
                                Instance(), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    std::unique_ptr<Control> control;
    if (c.cls == ControlClass::ListView) {
        auto list = std::make_unique<Win32ListView>(hwnd, c.id);
        lists_[c.id] = list.get();
        control = std::move(list);
    } else if (c.cls == ControlClass::CheckBox) {
        control = std::make_unique<CheckBoxControl>(hwnd, c.id);
    } else if (combo) {
        auto box = std::make_unique<Win32ComboBox>(hwnd, c.id);
        std::string_view items = c.text;
        while (!items.empty()) {
            size_t nl = items.find('\n');
            box->AddString(std::string(items.substr(0, nl)));
            items = nl == std::string_view::npos ? std::string_view() : items.substr(nl + 1);
        }
        control = std::move(box);
    } else if (picture) {
        auto pic = std::make_unique<PictureControl>(hwnd, c.id);
        const imaging::Canvas canvas = dialog_.TemplatePicture(c.imageId);
        if (canvas.Width() > 0) pic->SetPicture(canvas);
        control = std::move(pic);
    } else {
        control = std::make_unique<HwndControl<Control>>(hwnd, c.id);
    }
    if (c.id >= 0) items_[c.id] = control.get();
    owned_.push_back(std::move(control));
    if (!(c.style & kHidden)) ShowWindow(hwnd, SW_SHOWNA);
    return hwnd;
}

void Win32DialogPeer::CreateControls(const std::map<int, CustomControl*>& custom) {
    if (created_) return;
    created_ = true;
    int index = 0;
    for (const auto& c : tmpl_.controls) {
        HWND hwnd = nullptr;
        auto it = c.id >= 0 ? custom.find(c.id) : custom.end();
        if (it != custom.end()) {
            const imaging::Rect r = units_.ToPixels(c.x, c.y, c.cx, c.cy);
            auto host = std::make_unique<CustomHostWindow>(
                *it->second, c, hwnd_, r, DialogFontSpec(tmpl_.fontFace, tmpl_.fontPointSize), hosts_,
                [this, id = c.id] { dialog_.HandleCommand(id, Notification::Clicked); });
            hwnd = host->Hwnd();
            items_[c.id] = host->SelfControl();
            customOwned_.push_back(std::move(host));
        } else {
            hwnd = CreateStandard(c, index);
        }
        if (c.style & kDefaultButton) defaultButton_ = c.id;
        if (c.id >= 0) hwnds_[c.id] = hwnd;
        ++index;
    }
    // A frame lies beneath the controls it frames. Each new child window goes
    // below its earlier siblings, so a frame is sent down once all exist: else
    // the controls made after it (the status lines in a group box) are hidden.
    for (CustomHostWindow* host : hosts_) {
        if (host->IsFrame()) {
            SetWindowPos(host->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

Control* Win32DialogPeer::Item(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

HWND Win32DialogPeer::ItemHwnd(int id) const {
    auto it = hwnds_.find(id);
    return it == hwnds_.end() ? nullptr : it->second;
}

Control* Win32DialogPeer::FocusedItem() const {
    HWND focus = GetFocus();
    // An edit field inside a combo box stands for the box.
    while (focus && focus != hwnd_) {
        if (Control* c = ControlOf(focus)) return c;
        focus = GetParent(focus);
    }
    return nullptr;
}

void Win32DialogPeer::FocusFirstTabStop() {
    for (const auto& c : tmpl_.controls) {
        if ((c.style & kTabStop) && !(c.style & (kHidden | kDisabled))) {
            if (HWND h = ItemHwnd(c.id)) ::SetFocus(h);
            break;
        }
    }
}

int Win32DialogPeer::RunModal() {
    modal_ = true;
    ended_ = false;
    if (ownerPeer_) EnableWindow(ownerPeer_->Hwnd(), FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    RunMessagesUntil(ended_);
    if (ownerPeer_) {
        EnableWindow(ownerPeer_->Hwnd(), TRUE);
        SetActiveWindow(ownerPeer_->Hwnd());
    }
    modal_ = false;
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    return result_;
}

void Win32DialogPeer::End(int code) {
    result_ = code;
    ended_ = true;
    if (!modal_) ShowWindow(hwnd_, SW_HIDE);
    // Wakes the modal loop, which may be waiting for a message.
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Win32DialogPeer::Show(bool visible) {
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    if (visible) UpdateWindow(hwnd_);
}

bool Win32DialogPeer::IsVisible() const {
    return IsWindowVisible(hwnd_) != 0;
}

void Win32DialogPeer::SetIcon(const imaging::Canvas& icon) {
    HICON old = icon_;
    icon_ = MakeIcon(icon);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    if (old) DestroyIcon(old);
}

std::unique_ptr<Timer> Win32DialogPeer::MakeTimer(std::chrono::milliseconds interval,
                                                  std::function<void()> tick) {
    return std::make_unique<WinTimer>(interval, std::move(tick));
}

bool Win32DialogPeer::WakeLink() {
    // PostMessage may be called from any thread; the caller holds the link's
    // lock, so the window cannot go meanwhile.
    return hwnd_ && PostMessageW(hwnd_, kWakeLinkMessage, 0, 0) != 0;
}

bool Win32DialogPeer::PreTranslate(MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        if (dialog_.HandleKey(KeyPressFromMessage(msg.message, msg.wParam, msg.lParam))) return true;
    }
    // Tab between the controls, Enter and Esc as in a dialog.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        return IsDialogMessageW(hwnd_, &msg) != 0;
    }
    return false;
}

void Win32DialogPeer::AcceptFileDrops(bool on) {
    // Controls do not accept files themselves, so the shell hands a drop on
    // any of them to this window: an edit field never takes the name as text.
    if (hwnd_) DragAcceptFiles(hwnd_, on ? TRUE : FALSE);
}

void Win32DialogPeer::WatchContextMenu(int id) {
    contextMenuIds_.insert(id);
}

namespace {

std::vector<std::string> DroppedFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(platform::win::Narrow(path));
    }
    return paths;
}

}  // namespace

LRESULT Win32DialogPeer::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_DROPFILES: {
            HDROP drop = reinterpret_cast<HDROP>(wp);
            const std::vector<std::string> paths = DroppedFiles(drop);
            DragFinish(drop);
            dialog_.HandleFileDrop(paths);
            return 0;
        }
        case WM_CONTEXTMENU: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wp));
            if (contextMenuIds_.count(id) == 0) break;
            dialog_.HandleCommand(id, Notification::ContextMenu);
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wp), code = HIWORD(wp);
            HWND from = reinterpret_cast<HWND>(lp);
            if (!from) {
                // From the dialog navigation: Esc, or Enter on no button.
                if (id == IDCANCEL) dialog_.HandleClose();
                if (id == IDOK && defaultButton_ > 0) {
                    dialog_.HandleCommand(defaultButton_, Notification::Clicked);
                }
                return 0;
            }
            for (CustomHostWindow* host : hosts_) {
                if (host->Hwnd() == from) {
                    host->ComboNotified(code);
                    return 0;
                }
            }
            if (code == BN_CLICKED) dialog_.HandleCommand(id, Notification::Clicked);
            return 0;
        }
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            auto it = lists_.find(static_cast<int>(hdr->idFrom));
            if (it == lists_.end()) break;
            if (hdr->code == NM_CLICK) {
                it->second->Clicked(*reinterpret_cast<const NMITEMACTIVATE*>(lp));
                dialog_.HandleCommand(it->first, Notification::ListClick);
                return 0;
            }
            if (hdr->code == LVN_ITEMCHANGING) {
                return it->second->ItemChanging(*reinterpret_cast<const NMLISTVIEW*>(lp)) ? TRUE : FALSE;
            }
            break;
        }
        case WM_CLOSE:
            dialog_.HandleClose();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                for (const auto& host : customOwned_) host->Deactivated();
            }
            break;
        case kWakeLinkMessage: {
            // A copy: a call that closed the window must not take the link with it.
            const std::shared_ptr<DialogLink> link = dialog_.Link();
            link->RunWaiting();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

Win32DialogPeer& PeerOf(const Dialog& dialog) {
    return static_cast<Win32DialogPeer&>(dialog.Peer());
}

std::vector<Win32DialogPeer*> KitWindows() {
    return LiveWindows();
}

}  // namespace nimbo::ui::win

namespace nimbo::ui {

std::unique_ptr<DialogPeer> MakeDialogPeer(Dialog& dialog, const DialogTemplate& tmpl,
                                           DialogPeer* owner) {
    return std::make_unique<win::Win32DialogPeer>(dialog, tmpl,
                                                  static_cast<win::Win32DialogPeer*>(owner));
}

}  // namespace nimbo::ui
