// UTF-8 to and from the UTF-16 text of the Windows API: the one pair of
// conversions that the Windows backends share.
#pragma once

#include <string>
#include <string_view>

namespace station {

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
// 8-bit text in a code page (CP_ACP: the station's ANSI code page).
std::wstring WideFromCodePage(std::string_view text, unsigned codePage);

}  // namespace station
