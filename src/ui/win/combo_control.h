#pragma once
// ui::ComboBox on the system's COMBOBOX.
#include <windows.h>

#include "ui/control.h"
#include "ui/win/hwnd_control.h"

namespace nimbo::ui::win {

class Win32ComboBox final : public HwndControl<ComboBox> {
public:
    using HwndControl::HwndControl;
    int AddString(const std::string& utf8) override {
        std::wstring text = platform::win::Widen(utf8);
        return static_cast<int>(SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    void ResetContent() override { SendMessageW(Hwnd(), CB_RESETCONTENT, 0, 0); }
    int GetCount() const override { return static_cast<int>(SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const override { return static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0)); }
    void SetCurSel(int index) override { SendMessageW(Hwnd(), CB_SETCURSEL, index, 0); }
    std::string GetLBText(int index) const override {
        LRESULT n = SendMessageW(Hwnd(), CB_GETLBTEXTLEN, index, 0);
        if (n == CB_ERR) return {};
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        n = SendMessageW(Hwnd(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
        return platform::win::Narrow(text);
    }
};

}  // namespace nimbo::ui::win
