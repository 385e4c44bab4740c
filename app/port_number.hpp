// The job's rule for the serial port a port name such as COM12 names, shared
// by the job and the port check.
#pragma once

#include <cstdint>
#include <string_view>

namespace CalMod {

// The serial port number named by a port name such as COM12: the number that
// follows its first three characters, rounded to the nearest whole number
// (halves to even); 0 when there is none. Throws std::overflow_error when it
// does not fit a 16-bit integer.
std::int16_t PortNumber(std::string_view portName);

}  // namespace CalMod
