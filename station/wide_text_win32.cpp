#include "station/wide_text_win32.hpp"

#include <windows.h>

namespace station {

// Each conversion asks for the size first; text that holds no valid sequence
// converts to what the system substitutes, never to an error.
std::string Utf8FromWide(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::wstring WideFromCodePage(std::string_view text, unsigned codePage) {
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::wstring WideFromUtf8(std::string_view text) {
    return WideFromCodePage(text, CP_UTF8);
}

}  // namespace station
