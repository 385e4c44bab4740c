// Text for display. The record's fields and the meter's reply are 8-bit texts
// in the platform's code page and stay exactly as read; only what is shown (the
// status label, the headless output, a tool's report) is converted to Unicode.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The 8-bit text as UTF-8: Windows-1252 on Linux, the ANSI code page on
// Windows. Every byte maps to a character, so nothing is dropped.
std::string DisplayText(std::string_view bytes);

}  // namespace ui
