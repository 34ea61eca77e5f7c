#include "ui/win/custom_host.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/win/wide.h"
#include "ui/win/gdi.h"
#include "ui/win/hwnd_control.h"
#include "ui/win/keyboard.h"
#include "ui/win/win_classes.h"
#include "ui/win/win_timer.h"
#include "ui/win/window_system.h"

namespace nimbo::ui::win {

namespace {

constexpr wchar_t kHostProperty[] = L"NimboCustomHost";

CustomHostWindow* HostOf(HWND hwnd) {
    return static_cast<CustomHostWindow*>(GetPropW(hwnd, kHostProperty));
}

LRESULT CALLBACK ComboSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                   DWORD_PTR) {
    CustomHostWindow* host = HostOf(hwnd);
    auto byDefault = [&] { return DefSubclassProc(hwnd, msg, wp, lp); };
    if (!host) return byDefault();
    return host->Handle(msg, wp, lp, byDefault);
}

DWORD StyleOf(const ControlTemplate& c, CustomKind kind) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!(c.style & kHidden)) style |= WS_VISIBLE;
    if (c.style & kDisabled) style |= WS_DISABLED;
    if ((c.style & kTabStop) && (kind == CustomKind::PushButton || kind == CustomKind::ComboBox)) {
        style |= WS_TABSTOP;
    }
    if (kind == CustomKind::ComboBox) {
        style |= (c.style & kDropDownList) ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
        if (c.style & kVScroll) style |= WS_VSCROLL;
        if (c.style & kAutoHScroll) style |= CBS_AUTOHSCROLL;
    }
    return style;
}

}  // namespace

LRESULT CALLBACK CustomWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CustomHostWindow* host = HostOf(hwnd);
    auto byDefault = [&] { return DefWindowProcW(hwnd, msg, wp, lp); };
    if (!host) return byDefault();
    return host->Handle(msg, wp, lp, byDefault);
}

CustomHostWindow::CustomHostWindow(CustomControl& control, const ControlTemplate& c, HWND parent,
                                   const imaging::Rect& bounds, const FontSpec& font,
                                   std::vector<CustomHostWindow*>& siblings,
                                   std::function<void()> onCommand)
    : control_(&control),
      kind_(control.Kind()),
      font_(font),
      text_(std::make_unique<GdiTextPainter>(font)),
      siblings_(siblings),
      onCommand_(std::move(onCommand)) {
    const bool combo = kind_ == CustomKind::ComboBox;
    std::wstring text = platform::win::Widen(combo ? std::string_view() : c.text);
    hwnd_ = CreateWindowExW(0, combo ? WC_COMBOBOXW : kCustomClass, text.c_str(), StyleOf(c, kind_),
                            bounds.left, bounds.top, bounds.Width(), bounds.Height(), parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id < 0 ? 0 : c.id)),
                            Instance(), nullptr);
    SetPropW(hwnd_, kHostProperty, this);
    if (combo) {
        auto box = std::make_unique<Win32ComboBox>(hwnd_, c.id);
        combo_ = box.get();
        self_ = std::move(box);
        HFONT f = MakeFont(font);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        SetPropW(hwnd_, L"NimboFont", f);
        SetWindowSubclass(hwnd_, &ComboSubclassProc, 1, 0);
        std::string_view items = c.text;
        while (!items.empty()) {
            size_t nl = items.find('\n');
            combo_->AddString(std::string(items.substr(0, nl)));
            items = nl == std::string_view::npos ? std::string_view() : items.substr(nl + 1);
        }
    } else {
        self_ = std::make_unique<HwndControl<Control>>(hwnd_, c.id);
    }
    siblings_.push_back(this);
    control_->Attach(this);
}

CustomHostWindow::~CustomHostWindow() {
    if (control_) control_->Detach();
    control_ = nullptr;
    if (IsWindow(hwnd_)) {
        if (combo_) {
            RemoveWindowSubclass(hwnd_, &ComboSubclassProc, 1);
            if (HANDLE f = RemovePropW(hwnd_, L"NimboFont")) DeleteObject(f);
        }
        RemovePropW(hwnd_, kHostProperty);
    }
    std::erase(siblings_, this);
}

void CustomHostWindow::Paint(HDC dc) {
    if (!control_) return;
    const imaging::Size size = ClientSize();
    if (combo_) {
        // An overlay on the box the system drew: a fresh transparent surface.
        surface_ = imaging::Canvas(size.width, size.height, imaging::Canvas::kTransparent);
        control_->Paint(surface_);
        BlendCanvas(dc, surface_, 0, 0);
        return;
    }
    if (surface_.Width() != size.width || surface_.Height() != size.height ||
        control_->WantsFreshSurface()) {
        surface_ = Background();
    }
    control_->Paint(surface_);
    ShowCanvas(dc, surface_, 0, 0);
}

LRESULT CustomHostWindow::Handle(UINT msg, WPARAM wp, LPARAM lp,
                                 const std::function<LRESULT()>& byDefault) {
    switch (msg) {
        case WM_PAINT: {
            if (combo_) {
                LRESULT r = byDefault();
                HDC dc = GetDC(hwnd_);
                Paint(dc);
                ReleaseDC(hwnd_, dc);
                return r;
            }
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return combo_ ? byDefault() : 1;
        case WM_NCHITTEST:
            // Frames and pictures take no input: clicks reach what lies beneath.
            if (kind_ == CustomKind::Frame || kind_ == CustomKind::Picture) return HTTRANSPARENT;
            break;
        case WM_GETDLGCODE:
            if (kind_ == CustomKind::PushButton) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            break;
        case WM_MOUSEMOVE:
            if (control_) {
                if (!tracking_) {
                    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd_, 0};
                    tracking_ = TrackMouseEvent(&t) != 0;
                }
                control_->OnPointerMove({{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, (wp & MK_LBUTTON) != 0});
            }
            break;
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (control_) control_->OnPointerLeave();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (kind_ == CustomKind::PushButton) {
                if (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_TABSTOP) ::SetFocus(hwnd_);
                SetCapture(hwnd_);
                captured_ = true;
                pressed_ = true;
                if (control_) control_->OnLeftDown();
                Invalidate();
                return 0;
            }
            if (control_) control_->OnLeftDown();
            break;
        case WM_LBUTTONUP:
            if (kind_ == CustomKind::PushButton && captured_) {
                captured_ = false;
                pressed_ = false;
                ReleaseCapture();
                if (control_) control_->OnLeftUp();
                Invalidate();
                RECT r;
                GetClientRect(hwnd_, &r);
                POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                if (PtInRect(&r, p)) Clicked();
                return 0;
            }
            if (control_) control_->OnLeftUp();
            break;
        case WM_CAPTURECHANGED:
            if (captured_ && reinterpret_cast<HWND>(lp) != hwnd_) {
                captured_ = false;
                pressed_ = false;
                Invalidate();
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            LRESULT r = byDefault();
            if (control_) control_->OnFocusChanged(msg == WM_SETFOCUS);
            Invalidate();
            return r;
        }
        case WM_ENABLE: {
            LRESULT r = byDefault();
            if (control_) control_->OnEnabledChanged(wp != 0, true);
            Invalidate();
            return r;
        }
        case WM_SETTEXT: {
            LRESULT r = byDefault();
            Invalidate();
            return r;
        }
        case WM_SIZE:
            surface_ = imaging::Canvas();
            if (control_) control_->OnResized();
            break;
        case WM_SYSCOLORCHANGE:
            surface_ = imaging::Canvas();
            if (control_) control_->OnColorsChanged();
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (control_ && control_->OnKey(KeyPressFromMessage(msg, wp, lp))) return 0;
            if (kind_ == CustomKind::PushButton && wp == VK_SPACE && !(lp & (1 << 30))) {
                pressed_ = true;
                Invalidate();
                return 0;
            }
            break;
        case WM_KEYUP:
            if (kind_ == CustomKind::PushButton && wp == VK_SPACE && pressed_) {
                pressed_ = false;
                Invalidate();
                Clicked();
                return 0;
            }
            break;
        default:
            break;
    }
    return byDefault();
}

void CustomHostWindow::ComboNotified(int code) {
    if (!control_) return;
    if (code == CBN_CLOSEUP) control_->OnPopupHidden();
    if (code == CBN_EDITCHANGE) control_->OnEditTextEdited(EditText());
}

void CustomHostWindow::Clicked() {
    if (!control_) return;
    control_->OnClicked();
    if (onCommand_) onCommand_();
}

void CustomHostWindow::Invalidate() {
    InvalidateRect(hwnd_, nullptr, combo_ != nullptr);
}

void CustomHostWindow::RepaintNow() {
    Invalidate();
    UpdateWindow(hwnd_);
}

void CustomHostWindow::InvalidateWithParent() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    HWND parent = GetParent(hwnd_);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(parent, &r, TRUE);
    surface_ = imaging::Canvas();
    Invalidate();
}

imaging::Size CustomHostWindow::ClientSize() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return {r.right - r.left, r.bottom - r.top};
}

bool CustomHostWindow::PointerOver() const {
    POINT p;
    GetCursorPos(&p);
    HWND under = WindowFromPoint(p);
    return under == hwnd_ || IsChild(hwnd_, under);
}

bool CustomHostWindow::PointerInside() const {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd_, &p);
    RECT r;
    GetClientRect(hwnd_, &r);
    return PtInRect(&r, p) != 0;
}

void CustomHostWindow::FocusNextTabStop() {
    HWND parent = GetParent(hwnd_);
    HWND next = GetNextDlgTabItem(parent, hwnd_, FALSE);
    ::SetFocus(next && next != hwnd_ ? next : parent);
}

imaging::Canvas CustomHostWindow::Background() const {
    const imaging::Size size = ClientSize();
    imaging::Canvas snap(size.width, size.height,
                         imaging::Canvas::ToPixel(ReadSystemColors().buttonFace));
    if (size.width <= 0 || size.height <= 0) return snap;
    // Custom siblings created before this one (a group box, say) show through.
    RECT mine;
    GetWindowRect(hwnd_, &mine);
    for (const CustomHostWindow* sibling : siblings_) {
        if (sibling == this) break;
        if (!IsWindowVisible(sibling->hwnd_) || sibling->Surface().Width() == 0) continue;
        RECT theirs, overlap;
        GetWindowRect(sibling->hwnd_, &theirs);
        if (!IntersectRect(&overlap, &mine, &theirs)) continue;
        const imaging::Rect dst{overlap.left - mine.left, overlap.top - mine.top,
                                overlap.right - mine.left, overlap.bottom - mine.top};
        snap.BlockCopy(dst, sibling->Surface(),
                       {overlap.left - theirs.left, overlap.top - theirs.top});
    }
    return snap;
}

SystemColors CustomHostWindow::Colors() const {
    return ReadSystemColors();
}

std::unique_ptr<TextPainter> CustomHostWindow::MakeTextPainter(const FontSpec& font) {
    return std::make_unique<GdiTextPainter>(font);
}

std::unique_ptr<IconPainter> CustomHostWindow::MakeIconPainter(const imaging::Canvas& icon) {
    return std::make_unique<CanvasIconPainter>(icon);
}

std::unique_ptr<Timer> CustomHostWindow::MakeTimer(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) {
    return std::make_unique<WinTimer>(interval, std::move(tick));
}

int CustomHostWindow::ThumbWidth() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (combo_ && GetComboBoxInfo(hwnd_, &info)) return info.rcButton.right - info.rcButton.left;
    return GetSystemMetrics(SM_CXVSCROLL);
}

HWND CustomHostWindow::Edit() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!combo_ || !GetComboBoxInfo(hwnd_, &info)) return nullptr;
    return info.hwndItem != hwnd_ ? info.hwndItem : nullptr;
}

std::u16string CustomHostWindow::EditText() const {
    HWND edit = Edit();
    if (!edit) return {};
    int n = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(edit, text.data(), n + 1);
    return std::u16string(text.begin(), text.begin() + std::max(n, 0));
}

void CustomHostWindow::SetEditText(const std::u16string& text) {
    if (HWND edit = Edit()) SetWindowTextW(edit, std::wstring(text.begin(), text.end()).c_str());
}

int CustomHostWindow::EditCursor() const {
    DWORD start = 0, end = 0;
    if (HWND edit = Edit()) SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end);
}

void CustomHostWindow::SetEditSelection(int start, int end) {
    if (HWND edit = Edit()) SendMessageW(edit, EM_SETSEL, start, end);
}

bool CustomHostWindow::EditHasSelection() const {
    return EditSelectionLength() > 0;
}

int CustomHostWindow::EditSelectionStart() const {
    DWORD start = 0, end = 0;
    if (HWND edit = Edit()) SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int CustomHostWindow::EditSelectionLength() const {
    DWORD start = 0, end = 0;
    if (HWND edit = Edit()) SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

std::u16string CustomHostWindow::ItemText16(int index) const {
    LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return std::u16string(text.begin(), text.begin() + (n == CB_ERR ? 0 : n));
}

}  // namespace nimbo::ui::win
