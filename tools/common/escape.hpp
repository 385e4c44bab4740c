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

// UTF-8 text (a settings line, a path) with nothing hidden: printable
// characters as they are, letters of any script and the backslash included;
// control characters and bytes that are no UTF-8 in the log form; characters that show as nothing
// or as a blank (the byte order mark, zero-width and direction marks, the
// no-break space, C1 controls) as \uXXXX.
std::string Printable(std::string_view text);

// The bytes that text with the escapes \r, \n, \t, \\ and \xHH stands for.
// Throws std::invalid_argument, naming the text, on any other escape and on
// \x without two hex digits.
std::string Unescape(std::string_view text);

}  // namespace tools
