// SI unit-prefix factors.
#pragma once

#include <string_view>

namespace reading {

// The power of ten named by the first character of a unit text ("mV" gives
// 1e-3, "kOhm" 1e3, "uF" and "\xB5F" with the micro sign 1e-6); 1 for any other
// first character or an empty text. Only the first character is looked at,
// compared case-sensitively.
double PrefixFactor(std::string_view unit);

}  // namespace reading
