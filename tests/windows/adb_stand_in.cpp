// A stand-in adb.exe for the window test: a Windows program cannot run the
// Linux adb usefully under Wine. It answers "install" as adb 29 does when the
// phone took the package (CR LF, no final line feed) and ends at once for
// every other command (kill-server, wait-for-device). Each call is appended
// to calls.txt beside it, one argument per line, so the test sees exactly
// what reached the program.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring log(self, n);
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"calls.txt";
    if (FILE* f = _wfopen(log.c_str(), L"ab")) {
        for (int i = 1; i < argc; ++i) {
            char utf8[4096];
            int len = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof utf8, nullptr, nullptr);
            std::fwrite(utf8, 1, len > 0 ? static_cast<size_t>(len - 1) : 0, f);
            std::fputc('\n', f);
        }
        std::fputs("--\n", f);
        std::fclose(f);
    }
    if (argc > 1 && std::wstring(argv[1]) == L"install") {
        std::fwrite("Performing Streamed Install\r\nSuccess", 1, 36, stdout);
        std::fflush(stdout);
    }
    return 0;
}
