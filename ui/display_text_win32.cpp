// Display text on Windows: the record's bytes in the system's ANSI code page,
// as the host wrote them.
#include "station/facts.hpp"
#include "ui/display_text.hpp"

namespace ui {

std::string DisplayText(std::string_view bytes) {
    // A code page maps every byte it cannot name to a character of its own,
    // so nothing is dropped for want of a mapping.
    return station::CodePageToUtf8(bytes);
}

}  // namespace ui
