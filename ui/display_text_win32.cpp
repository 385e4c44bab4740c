// Display text on Windows: the record's bytes in the system's ANSI code page,
// as the host wrote them.
#include <windows.h>

#include "ui/display_text.hpp"

namespace ui {

std::string DisplayText(std::string_view bytes) {
    if (bytes.empty()) return {};
    // One call each way with the size asked first; a code page maps every
    // byte it cannot name to a character of its own, so nothing fails here
    // for want of a mapping.
    const int size = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), length, nullptr,
                        nullptr);
    return text;
}

}  // namespace ui
