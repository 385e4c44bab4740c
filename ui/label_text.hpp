// The status text as a label control draws it.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The text with every CR followed by an LF: the record's line breaks are CR
// alone, while a Windows static control breaks lines at CR LF.
std::string WithCrLf(std::string_view text);

}  // namespace ui
