// The job's rule for the serial port a port name such as COM12 names, shared
// by the job and the port check.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace CalMod {

// The serial port number named by a port name such as COM12: the number that
// follows its first three characters, rounded to the nearest whole number
// (halves to even); 0 when there is none. Throws std::overflow_error when it
// does not fit a 16-bit integer.
std::int16_t PortNumber(std::string_view portName);

// A port as the lab tools take it (on a command line, or from a journal's
// copy of the record's field), by the job's rule: a name that fits the
// record's five characters (COM1 to COM99, "COM 7" too), blanks around it
// allowed; a bare number is short for COM<N>. Nothing for a name no job can
// give, or a port below 1.
std::optional<int> NamedPort(std::string_view text);

}  // namespace CalMod
