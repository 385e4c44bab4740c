// Elapsed-time source for the reply time-out and the polling pause.
#pragma once

namespace meter {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed start; never goes backwards.
    virtual double Now() = 0;
    // Sleeps for about the given number of seconds. The system's timers may
    // end a sleep a little early or late by this clock; Pause reads Now() to
    // end on time.
    virtual void SleepFor(double seconds) = 0;
};

// A monotonic clock: midnight and changes of the system time do not affect it.
Clock& SteadyClock();

}  // namespace meter
