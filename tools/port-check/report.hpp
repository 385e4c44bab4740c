// The port check's report: one labelled line at a time, what went over the
// line in each query, and a warning when the meter's unit names another
// quantity than the job's.
#pragma once

#include <string>

#include "meter/recording_serial.hpp"

namespace port_check {

// "<label>:" in a column of 12, then the text; an empty label continues the
// line above.
void Line(const std::string& label, const std::string& text);

// What went over the line in query `number`, which ended with `reply`: the
// command, the attempts, what was discarded, received and kept, and when the
// first byte and the CR came. Takes the recorded events of the query.
void Report(int number, meter::RecordingSerial& port, const std::string& reply);

// A reply whose unit names another quantity than the job's still converts:
// only the prefixes count. Says so, since the number is then meaningless.
void WarnOnUnitMismatch(const std::string& reply, const std::string& target);

}  // namespace port_check
