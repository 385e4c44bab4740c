// The FLTK 1.3 backend of the status window (Linux, X11).
#pragma once

#include <memory>

#include "ui/window.hpp"

namespace ui {

// nullptr when no display can be opened. The display is probed before FLTK
// sees it, because FLTK ends the process when it cannot open one.
std::unique_ptr<Window> MakeFltkWindow();

}  // namespace ui
