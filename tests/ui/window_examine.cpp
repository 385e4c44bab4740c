// Looks at the status window of another process as Windows sees it: prints
// the outer and client rectangles, the screen size and the label's text, and
// fails unless the outer rectangle is centred on the screen (halves rounded
// half away from zero) and the label's text is the expected one.
//
// Usage: window_examine EXPECTED_TEXT   (C escapes \r and \n understood)
//        window_examine --acp
// Reading another process's window text asks nothing of that process, whose
// job handles no messages.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n')) {
            plain += text[++i] == 'r' ? '\r' : '\n';
        } else {
            plain += text[i];
        }
    }
    return plain;
}

long Centre(long screen, long window) {
    return std::lround((static_cast<float>(screen) - static_cast<float>(window)) / 2.0f);
}

}  // namespace

int main(int argc, char** argv) {
    // --acp: prints the process's ANSI code page, for tests that run the
    // program under another one.
    if (argc == 2 && std::string(argv[1]) == "--acp") {
        std::printf("%u\n", GetACP());
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_examine EXPECTED_TEXT\n");
        return 2;
    }
    const HWND form = FindWindowW(nullptr, L"Quillet Readback Utility");
    if (form == nullptr) {
        std::fprintf(stderr, "FAIL: no window with the caption\n");
        return 1;
    }
    RECT outer{}, client{};
    GetWindowRect(form, &outer);
    GetClientRect(form, &client);
    const long screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const long screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const long width = outer.right - outer.left, height = outer.bottom - outer.top;
    std::printf("outer %ldx%ld at %ld,%ld; client %ldx%ld; screen %ldx%ld\n", width, height,
                outer.left, outer.top, client.right, client.bottom, screenWidth, screenHeight);

    int failures = 0;
    // The manifest's per-monitor DPI awareness, as the system applied it to
    // the window (entry points of Windows 10, looked up at run time).
    using ContextOfWindow = void*(WINAPI*)(HWND);
    using AwarenessOfContext = int(WINAPI*)(void*);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto contextOf = reinterpret_cast<ContextOfWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto awarenessOf = reinterpret_cast<AwarenessOfContext>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (contextOf != nullptr && awarenessOf != nullptr) {
        const int awareness = awarenessOf(contextOf(form));
        std::printf("DPI awareness %d\n", awareness);
        constexpr int PerMonitorAware = 2;
        if (awareness != PerMonitorAware) {
            std::printf("FAIL: DPI awareness %d, not per monitor\n", awareness);
            ++failures;
        }
    }
    if (outer.left != Centre(screenWidth, width) || outer.top != Centre(screenHeight, height)) {
        std::printf("FAIL: not centred: expected %ld,%ld\n", Centre(screenWidth, width),
                    Centre(screenHeight, height));
        ++failures;
    }
    // The text may still be growing: up to 5 s for it to become the expected one.
    const HWND label = FindWindowExW(form, nullptr, L"Static", nullptr);
    const std::string expected = Unescape(argv[1]);
    std::string shown;
    for (int tenths = 0; tenths < 50 && label != nullptr; ++tenths) {
        wchar_t text[4096] = {};
        GetWindowTextW(label, text, 4096);
        shown = Utf8(text);
        if (shown == expected) break;
        Sleep(100);
    }
    if (shown != expected) {
        std::printf("FAIL: label text \"%s\", expected \"%s\"\n", shown.c_str(), expected.c_str());
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
