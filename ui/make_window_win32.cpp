// The window on Windows. Until the Win32 form exists the job reports headless.
#include "ui/window.hpp"

namespace ui {

std::unique_ptr<Window> MakeWindow() {
    return MakeHeadlessWindow();
}

}  // namespace ui
