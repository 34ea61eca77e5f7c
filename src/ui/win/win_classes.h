#pragma once
// The kit's own window classes: the windows built from templates and the
// hosts of custom controls.
#include <windows.h>

namespace nimbo::ui::win {

inline constexpr wchar_t kDialogClass[] = L"NimboDialog";
inline constexpr wchar_t kCustomClass[] = L"NimboCustom";

// Posted to a window to run the calls waiting in its link.
inline constexpr UINT kWakeLinkMessage = WM_APP + 1;

void RegisterKitClasses();
LRESULT CALLBACK DialogWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK CustomWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Runs messages until `done` turns true (or WM_QUIT arrives, which is posted
// again for the loop outside). Keys pass the windows' key hooks and the
// dialog navigation (Tab, Enter, Esc) first.
void RunMessagesUntil(const bool& done);

}  // namespace nimbo::ui::win
