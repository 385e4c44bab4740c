// The window on Windows: the native form, headless when it cannot be created.
#include "ui/window_win32.hpp"
#include "ui/window.hpp"

namespace ui {

std::unique_ptr<Window> MakeWindow() {
    if (auto window = MakeWin32Window()) return window;
    return MakeHeadlessWindow();
}

}  // namespace ui
