// Strict UTF-8, as JSON Lines and the settings file need it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace station {

// The length of the well-formed UTF-8 sequence at text[at] (1 to 4), or 0
// when the bytes there are none: a stray continuation byte, a cut sequence,
// an overlong form, a UTF-16 surrogate or a code point above U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// Appends the code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// The code point of the well-formed sequence of `length` bytes at text[at].
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);

}  // namespace station
