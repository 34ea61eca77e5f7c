#pragma once
// Key presses as windows and custom controls see them.
#include <string>

namespace nimbo::ui {

enum class Key { Other, Escape, Enter, Tab, Backspace, Delete, Space, Character };

struct KeyPress {
    Key key = Key::Other;
    bool alt = false;
    bool ctrl = false;
    bool shift = false;
    bool meta = false;    // the Windows (or Command) key
    bool keypad = false;  // from the numeric keypad
    bool autoRepeat = false;
    // The typed text, UTF-8; empty for keys that type nothing.
    std::string text;
    // A shortcut check the window system makes before the key press itself
    // (Ctrl+V in an edit field, Alt+letter mnemonics).
    bool shortcutCheck = false;
};

// Alt plus a printable character: the dialog would treat it as a mnemonic.
inline bool IsAltCharacter(const KeyPress& k) {
    return k.alt && !k.ctrl && (k.key == Key::Character || k.key == Key::Space);
}

}  // namespace nimbo::ui
