#include "ui/win/keyboard.h"

#include "platform/win/wide.h"

namespace nimbo::ui::win {

KeyPress KeyPressFromMessage(UINT msg, WPARAM wp, LPARAM lp) {
    KeyPress k;
    k.alt = (GetKeyState(VK_MENU) & 0x8000) != 0 || msg == WM_SYSKEYDOWN || msg == WM_SYSCHAR;
    k.ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    k.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    k.meta = (GetKeyState(VK_LWIN) & 0x8000) != 0 || (GetKeyState(VK_RWIN) & 0x8000) != 0;
    k.autoRepeat = (lp & (1 << 30)) != 0;
    if (msg == WM_CHAR || msg == WM_SYSCHAR) {
        wchar_t c = static_cast<wchar_t>(wp);
        k.key = c == L' ' ? Key::Space : Key::Character;
        k.text = platform::win::Narrow(std::wstring(1, c));
        return k;
    }
    const bool extended = (lp & (1 << 24)) != 0;
    switch (wp) {
        case VK_ESCAPE:
            k.key = Key::Escape;
            break;
        case VK_RETURN:
            k.key = Key::Enter;
            k.keypad = extended;
            break;
        case VK_TAB:
            k.key = Key::Tab;
            break;
        case VK_BACK:
            k.key = Key::Backspace;
            break;
        case VK_DELETE:
            k.key = Key::Delete;
            break;
        case VK_SPACE:
            k.key = Key::Space;
            k.text.assign(1, ' ');
            break;
        default:
            // Letters and digits pressed with Ctrl or Alt type nothing; they
            // are characters all the same (Ctrl+V, Alt+mnemonics).
            if ((wp >= 'A' && wp <= 'Z') || (wp >= '0' && wp <= '9')) {
                k.key = Key::Character;
                wchar_t c = static_cast<wchar_t>(k.shift ? wp : towlower(static_cast<wint_t>(wp)));
                k.text = platform::win::Narrow(std::wstring(1, c));
            }
            k.keypad = wp >= VK_NUMPAD0 && wp <= VK_DIVIDE;
            break;
    }
    return k;
}

}  // namespace nimbo::ui::win
