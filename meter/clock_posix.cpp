// The job's clock on POSIX systems: std::chrono::steady_clock, which libstdc++
// reads from CLOCK_MONOTONIC there.
#include "meter/clock.hpp"

#include <chrono>

namespace meter {

namespace {

class MonotonicClock final : public Clock {
public:
    double Now() override {
        using Seconds = std::chrono::duration<double>;
        return Seconds(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace

Clock& SteadyClock() {
    static MonotonicClock clock;
    return clock;
}

}  // namespace meter
