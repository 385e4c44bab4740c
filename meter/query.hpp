// One command/response transaction with the meter.
#pragma once

#include <functional>
#include <string>

#include "meter/clock.hpp"
#include "meter/serial_control.hpp"

namespace meter {

inline constexpr char LineEnd = '\r';
inline constexpr double ReplyTimeout = 2.0;  // seconds, strictly exceeded
inline constexpr double PollPause = 0.1;     // seconds
inline constexpr int AttemptLimit = 5;
// Bounds for a port that never stops sending: an attempt's wait also ends after
// this many seconds, or once the reply holds more than a receive buffer.
inline constexpr double AttemptCeiling = 10.0;
inline constexpr std::size_t ReplyCeiling = StoredSettings.InBufferSize;
// A pause sleeps until this long before its end and reads the clock for the
// rest. Sleeps on Linux and under Wine end about 0.1 to 0.3 ms late; one that
// overruns by more ends its pause late by the difference.
inline constexpr double WakeAhead = 0.0005;  // seconds

// Opens the port, discards waiting input, writes command + CR and collects the
// CR-terminated reply (2 s time-out, 0.1 s polling, at most 5 attempts), closes
// the port and returns what was collected, possibly empty. SerialError passes
// through to the caller.
std::string SendQuery(SerialControl& port, const std::string& command,
                      Clock& clock = SteadyClock());

// The meter's present reading: "QM" twice, each a whole transaction; the
// first answer only wakes the meter up, the second is the reading, returned
// as collected. `each`, when given, sees every query's reply as it comes.
// SerialError passes through to the caller.
std::string QueryReading(SerialControl& port,
                         const std::function<void(const std::string& reply)>& each = {});

// Waits until strictly more than the given number of seconds has passed on
// the clock: asleep but for the last moment, so it never ends early and
// mostly within a millisecond of the time.
void Pause(double seconds, Clock& clock = SteadyClock());

}  // namespace meter
