// The byte that stands for the micro sign (U+00B5) in the record's code page.
#pragma once

#include <optional>

namespace reading {

// The single byte that encodes the micro sign in the code page of the exchange
// record and the meter's replies; none when that code page has no single-byte
// micro sign.
std::optional<char> MicroSignByte();

}  // namespace reading
