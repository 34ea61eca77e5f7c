#pragma once
// Key messages (WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR) as the kit describes keys.
#include <windows.h>

#include "ui/keys.h"

namespace nimbo::ui::win {

KeyPress KeyPressFromMessage(UINT msg, WPARAM wp, LPARAM lp);

}  // namespace nimbo::ui::win
