#include "ui/label_text.hpp"

namespace ui {

std::string WithCrLf(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        lines += c;
        if (c == '\r') lines += '\n';
    }
    return lines;
}

}  // namespace ui
