#pragma once
// ui::Control over a child window: the calls every control shares. Typed
// controls derive from HwndControl<ui::ListView> and so on. Tags are window
// properties, so tests and tools read them from outside the program too.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win/wide.h"
#include "ui/control.h"

namespace nimbo::ui::win {

// The property under which a child window keeps its ui::Control.
inline constexpr wchar_t kControlProperty[] = L"NimboControl";
Control* ControlOf(HWND hwnd);

std::string WindowText(HWND hwnd);

template <typename Interface>
class HwndControl : public Interface {
public:
    HwndControl(HWND hwnd, int id) : hwnd_(hwnd), id_(id) {
        SetPropW(hwnd_, kControlProperty, static_cast<Control*>(this));
    }
    ~HwndControl() override {
        if (IsWindow(hwnd_)) RemovePropW(hwnd_, kControlProperty);
    }

    int Id() const override { return id_; }
    void SetText(const std::string& utf8) override {
        SetWindowTextW(hwnd_, platform::win::Widen(utf8).c_str());
    }
    std::string Text() const override { return WindowText(hwnd_); }
    void Enable(bool enabled) override { EnableWindow(hwnd_, enabled); }
    bool IsEnabled() const override { return IsWindowEnabled(hwnd_) != 0; }
    void Show(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    bool IsVisible() const override { return IsWindowVisible(hwnd_) != 0; }
    void SetFocus() override { ::SetFocus(hwnd_); }
    bool HasFocus() const override { return GetFocus() == hwnd_ || IsChild(hwnd_, GetFocus()); }
    imaging::Rect Bounds() const override {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right, r.bottom};
    }
    void RepaintNow() override {
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
    }
    void SetTag(std::string_view name, int value) override {
        std::wstring key = L"Nimbo." + platform::win::Widen(name);
        SetPropW(hwnd_, key.c_str(), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)));
    }

    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
    int id_;
};

}  // namespace nimbo::ui::win
