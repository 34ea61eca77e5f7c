// The system's choosers and message boxes: GetOpenFileNameW,
// GetSaveFileNameW, SHBrowseForFolderW and MessageBoxW, owned by the active
// window of the program.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

// windows.h names MessageBoxA/W by a macro; the kit's MessageBox is a method.
#undef MessageBox

#include "platform/win/wide.h"
#include "ui/dialogs.h"

namespace nimbo::ui {
namespace {

using platform::win::Narrow;
using platform::win::Widen;

HWND Owner() {
    HWND active = GetActiveWindow();
    return active ? active : GetForegroundWindow();
}

// "text\0pattern\0...\0\0" as the file dialogs want their filters.
std::wstring FilterList(const std::vector<FileFilter>& filters) {
    std::wstring list;
    for (const auto& f : filters) {
        list += Widen(f.text);
        list += L'\0';
        list += Widen(f.pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

class Win32Dialogs final : public Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<FileFilter>& filters,
                                        bool mustExist) override {
        std::wstring filter = FilterList(filters), caption = Widen(title);
        std::vector<wchar_t> file(32768, L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Owner();
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (mustExist ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : 0);
        if (!GetOpenFileNameW(&ofn)) return std::nullopt;
        return Narrow(file.data());
    }

    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<FileFilter>& filters, int filterIndex,
                                        const std::string& defaultExtension,
                                        const std::string& initialName) override {
        std::wstring filter = FilterList(filters), caption = Widen(title);
        std::wstring extension = Widen(defaultExtension);
        std::vector<wchar_t> file(32768, L'\0');
        std::wstring initial = Widen(initialName);
        std::copy(initial.begin(), initial.begin() + std::min(initial.size(), file.size() - 1), file.begin());
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Owner();
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = static_cast<DWORD>(std::max(filterIndex, 1));
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
        ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        if (!GetSaveFileNameW(&ofn)) return std::nullopt;
        return Narrow(file.data());
    }

    std::optional<std::string> ChooseFolder(const std::string& prompt) override {
        std::wstring title = Widen(prompt);
        BROWSEINFOW bi{};
        bi.hwndOwner = Owner();
        bi.lpszTitle = title.c_str();
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&bi);
        if (!chosen) return std::nullopt;
        std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
        const bool ok = SHGetPathFromIDListW(chosen, path.data()) != 0;
        CoTaskMemFree(chosen);
        if (!ok) return std::nullopt;
        return Narrow(path.data());
    }

    MessageBoxResult MessageBox(const std::string& text, const std::string& caption) override {
        ::MessageBoxW(Owner(), Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
        return MessageBoxResult::Ok;
    }
};

}  // namespace

std::unique_ptr<Dialogs> MakeSystemDialogs() {
    return std::make_unique<Win32Dialogs>();
}

std::string ApplicationName() {
    return "Nimbo";
}

}  // namespace nimbo::ui
