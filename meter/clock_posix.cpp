// The job's clock on POSIX systems: std::chrono::steady_clock, which libstdc++
// reads from CLOCK_MONOTONIC there; sleeps are nanosleep, which Linux measures
// on the same clock.
#include "meter/clock.hpp"

#include <chrono>
#include <thread>

namespace meter {

namespace {

using Seconds = std::chrono::duration<double>;

class MonotonicClock final : public Clock {
public:
    double Now() override {
        return Seconds(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void SleepFor(double seconds) override { std::this_thread::sleep_for(Seconds(seconds)); }
};

}  // namespace

Clock& SteadyClock() {
    static MonotonicClock clock;
    return clock;
}

}  // namespace meter
