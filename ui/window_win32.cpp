// Native Win32 backend of the status window: a top-level window with a static
// label, sized from the form's twips at the window's own DPI and repainted
// synchronously; the job never runs a message loop.
#include <windows.h>

#include <cmath>
#include <string>

#include "station/code_page.hpp"
#include "station/wide_text_win32.hpp"
#include "ui/centre.hpp"
#include "ui/label_text.hpp"
#include "ui/window_win32.hpp"
#include "ui/window.hpp"

namespace ui {
namespace {

constexpr wchar_t ClassName[] = L"QuilletMainForm";
// The icon group in the executable's resources (two images, 32 x 32 and 16 x 16).
constexpr wchar_t IconName[] = L"MeterIcon";
// A fixed frame with caption, icon and minimise button; the window is only
// watched, so it cannot be resized or maximised.
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD FormExStyle = 0;
// Left-aligned text that wraps at word breaks; '&' is shown, not taken as a
// mnemonic marker.
constexpr DWORD LabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr UINT DefaultDpi = 96;

// Entry points of Windows 10 (1607 and later), looked up at run time so that
// the program also starts on older systems, where the system DPI holds for
// every window.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Function>
Function User32Entry(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DefaultDpi;
}

// The DPI of the monitor the window is on (the process is per-monitor aware).
UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Entry<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
    }
    return SystemDpi();
}

// The outer size of a window whose client area has the given size.
SIZE OuterSize(int clientWidth, int clientHeight, UINT dpi) {
    static const auto adjustForDpi =
        User32Entry<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, FormStyle, FALSE, FormExStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, FormStyle, FALSE, FormExStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The system's message font at the given DPI; nullptr leaves the control's
// default font.
HFONT MessageFont(UINT dpi) {
    static const auto forDpi =
        User32Entry<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const BOOL found =
        forDpi != nullptr
            ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)
            : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return found ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
}

HICON FormIcon(int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), IconName, IMAGE_ICON, size, size, 0));
}

// The form has no input controls: closing is left to the end of the program,
// so a click on the close button does nothing.
LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterFormClass(HINSTANCE instance) {
    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof formClass;
    formClass.lpfnWndProc = FormProcedure;
    formClass.hInstance = instance;
    formClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    formClass.lpszClassName = ClassName;
    return RegisterClassExW(&formClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

class Win32Window final : public Window {
public:
    // Takes a hidden form made at the primary monitor's origin, so that its DPI
    // is that monitor's, on which the load step centres it.
    explicit Win32Window(HWND form) : form_(form) {
        const UINT dpi = WindowDpi(form_);
        const auto pixels = [dpi](int twips) { return TwipsToPixels(twips, static_cast<int>(dpi)); };
        const SIZE outer =
            OuterSize(pixels(ClientWidthTwips), pixels(ClientHeightTwips), dpi);
        SetWindowPos(form_, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

        label_ = CreateWindowExW(0, L"STATIC", L"", LabelStyle, pixels(LabelLeftTwips),
                                 pixels(LabelTopTwips), pixels(LabelWidthTwips),
                                 pixels(LabelHeightTwips), form_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        font_ = MessageFont(dpi);
        if (label_ != nullptr && font_ != nullptr) {
            SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        }

        bigIcon_ = FormIcon(SM_CXICON);
        smallIcon_ = FormIcon(SM_CXSMICON);
        if (bigIcon_ != nullptr) {
            SendMessageW(form_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
        }
        if (smallIcon_ != nullptr) {
            SendMessageW(form_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
        }
    }

    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    ~Win32Window() override {
        DestroyWindow(form_);  // the label with it
        if (font_ != nullptr) DeleteObject(font_);
        if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
        if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
    }

    // Centres the window's outer size on the primary screen.
    void Load() override {
        RECT outer{};
        GetWindowRect(form_, &outer);
        const Position position = CentredPosition(
            static_cast<float>(GetSystemMetrics(SM_CXSCREEN)),
            static_cast<float>(GetSystemMetrics(SM_CYSCREEN)),
            static_cast<float>(outer.right - outer.left), static_cast<float>(outer.bottom - outer.top));
        SetWindowPos(form_, nullptr, static_cast<int>(std::lround(position.Left)),
                     static_cast<int>(std::lround(position.Top)), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void Show() override {
        ShowWindow(form_, SW_SHOW);
        UpdateWindow(form_);
    }

    void Repaint() override { RepaintNow(form_, RDW_ALLCHILDREN); }

    void RepaintLabel() override { RepaintNow(label_, 0); }

    std::string LabelCaption() const override { return caption_; }

    // The control gets the display text; the caption keeps the bytes as given.
    void SetLabelCaption(const std::string& text) override {
        SetWindowTextW(label_, station::WideFromUtf8(WithCrLf(station::RecordTextUtf8(text))).c_str());
        caption_ = text;
    }

private:
    // Invalidates and paints before returning, without the message loop.
    static void RepaintNow(HWND window, UINT flags) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | flags);
        GdiFlush();
    }

    HWND form_;
    HWND label_ = nullptr;
    HFONT font_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::string caption_;
};

}  // namespace

std::unique_ptr<Window> MakeWin32Window() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterFormClass(instance)) return nullptr;
    const HWND form = CreateWindowExW(FormExStyle, ClassName, station::WideFromUtf8(Caption).c_str(),
                                      FormStyle, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (form == nullptr) return nullptr;
    // The job runs for up to about 20 s without handling messages; Windows would
    // otherwise replace the window after 5 s by a "Not Responding" copy that no
    // longer shows the status updates.
    DisableProcessWindowsGhosting();
    return std::make_unique<Win32Window>(form);
}

}  // namespace ui
