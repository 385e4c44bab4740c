// The window on Linux: FLTK on X11 when a display can be opened, headless
// otherwise.
#include "ui/fltk_window.hpp"
#include "ui/window.hpp"

namespace ui {

// A session without a display (a lab station reached over SSH) runs the job
// all the same and reports its progress on standard output.
std::unique_ptr<Window> MakeWindow() {
    if (auto window = MakeFltkWindow()) return window;
    return MakeHeadlessWindow();
}

}  // namespace ui
