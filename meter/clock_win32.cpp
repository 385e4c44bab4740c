// The job's clock on Windows: the performance counter. It runs on whatever
// the wall clock does, and it does not depend on how the C++ library's
// steady_clock was built (in MinGW's win32-threads variant that one follows
// the wall clock).
#include <windows.h>

#include "meter/clock.hpp"

namespace meter {

namespace {

class PerformanceCounterClock final : public Clock {
public:
    PerformanceCounterClock() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);  // never fails from Windows XP on
        ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
    }
    double Now() override {
        LARGE_INTEGER ticks{};
        QueryPerformanceCounter(&ticks);
        return static_cast<double>(ticks.QuadPart) / ticksPerSecond_;
    }

private:
    double ticksPerSecond_ = 1;
};

}  // namespace

Clock& SteadyClock() {
    static PerformanceCounterClock clock;
    return clock;
}

}  // namespace meter
