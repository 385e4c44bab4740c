// The micro sign in the system's ANSI code page, the code page of the record.
#include <windows.h>

#include "reading/micro_sign.hpp"

namespace reading {
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

std::optional<char> MicroSignByte() {
    // The ANSI code page is fixed for the life of the process.
    static const std::optional<char> micro = LookUpMicroSign();
    return micro;
}

}  // namespace reading
