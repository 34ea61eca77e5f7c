// A child program for the process tests: prints each argument it was given
// between brackets, one a line, in UTF-8, on stdout; "--stderr TEXT" prints
// TEXT on stderr too, and "--wait" then waits for its stdin to end (a child
// that never ends by itself).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool wait = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = Utf8(argv[i]);
        if (a == "--wait") wait = true;
        if (a == "--stderr" && i + 1 < argc) {
            std::fprintf(stderr, "%s\n", Utf8(argv[i + 1]).c_str());
            std::fflush(stderr);
        }
        std::printf("[%s]\n", a.c_str());
    }
    std::fflush(stdout);
    if (wait) Sleep(INFINITE);
    return 0;
}
