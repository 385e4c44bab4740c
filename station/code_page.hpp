// The record's code page: the 8-bit code page the host writes the exchange
// record in and the meter replies in. Windows-1252 on POSIX systems, the
// system's ANSI code page on Windows; each platform has its own file
// (code_page_posix.cpp, code_page_win32.cpp). The record's fields and the
// meter's reply stay exactly as read; only what is shown (the status label,
// the headless output, a tool's report) is converted to Unicode.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace station {

// The record's 8-bit text as UTF-8. Every byte maps to a character, so
// nothing is dropped.
std::string RecordTextUtf8(std::string_view bytes);

// The single byte that encodes the micro sign (U+00B5) in the record's code
// page; none when that code page has no single-byte micro sign.
std::optional<char> MicroSignByte();

}  // namespace station
