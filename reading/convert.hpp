// Conversion of the meter's reply text into the job's result text.
#pragma once

#include <string>
#include <string_view>

namespace reading {

// Turns the meter's reply into the result text in the unit that targetText ends
// in: the value (preceded by "-" when the reply holds a "-"), followed directly
// by the target's unit text. An empty reply gives an empty result. A reply that
// cannot be converted throws ConversionError. Needs no meter, window or globals.
std::string ConvertReply(std::string_view reply, std::string_view targetText);

}  // namespace reading
