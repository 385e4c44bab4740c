// The job driver: one job from start to end, then the process ends.
#pragma once

#include <cstdint>
#include <string_view>

namespace CalMod {

// Runs the job: read ExtCtrl.dat, show the status window, select the port,
// take the reading, report it, write it back, and end the process. Every step
// stands alone: a failing step is skipped silently. The exit status is 0 when
// the result text was written into the record, 1 (with one line on standard
// error naming the file and the reason) when it was not.
[[noreturn]] void Main();

// The serial port number named by a port name such as COM12: the number that
// follows its first three characters, rounded to the nearest whole number
// (halves to even); 0 when there is none. Throws std::overflow_error when it
// does not fit a 16-bit integer.
std::int16_t PortNumber(std::string_view portName);

}  // namespace CalMod
