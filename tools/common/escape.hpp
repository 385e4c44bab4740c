// The escaped text forms in which the tools show bytes and read them back:
// nothing on the line or in a record is hidden or garbles the terminal, and
// any byte can be given on a command line.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// The log form, without quotes: printable ASCII as is, the backslash as \\,
// CR, LF and tab as \r, \n and \t, every other byte below 32 or above 126 as
// \xHH (upper case).
std::string Escape(std::string_view bytes);

// The form a lab tool prints: the log form in quotes, the quote escaped as \".
std::string Visible(std::string_view bytes);

// The bytes that text with the escapes \r, \n, \t, \\ and \xHH stands for.
// Throws std::invalid_argument, naming the text, on any other escape and on
// \x without two hex digits.
std::string Unescape(std::string_view text);

}  // namespace tools
