// The native Win32 backend of the status window.
#pragma once

#include <memory>

#include "ui/window.hpp"

namespace ui {

// nullptr when the window cannot be created (no desktop to create it on).
std::unique_ptr<Window> MakeWin32Window();

}  // namespace ui
