// The record's code page on Windows: the system's ANSI code page, in which the
// host writes its records.
#include <windows.h>

#include "station/code_page.hpp"
#include "station/wide_text_win32.hpp"

namespace station {
namespace {

std::optional<char> LookUpMicroSign() {
    const wchar_t micro = L'\u00B5';
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    // No best fit: a code page without the sign must not turn it into "u" or
    // "?", which would make some other character a prefix.
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &micro, 1, bytes,
                                           sizeof bytes, nullptr, &usedDefault);
    if (length != 1 || usedDefault) return std::nullopt;
    return bytes[0];
}

}  // namespace

std::string RecordTextUtf8(std::string_view bytes) {
    // A code page maps every byte it cannot name to a character of its own,
    // so nothing is dropped for want of a mapping.
    return Utf8FromWide(WideFromCodePage(bytes, CP_ACP));
}

std::optional<char> MicroSignByte() {
    // The ANSI code page is fixed for the life of the process.
    static const std::optional<char> micro = LookUpMicroSign();
    return micro;
}

}  // namespace station
