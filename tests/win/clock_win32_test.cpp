// The job's clock on Windows reads the performance counter.
#include <windows.h>

#include <gtest/gtest.h>

#include "meter/clock.hpp"

TEST(Win32Clock, ReadsThePerformanceCounter) {
    LARGE_INTEGER frequency{}, before{}, after{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    const double now = meter::SteadyClock().Now() * static_cast<double>(frequency.QuadPart);
    QueryPerformanceCounter(&after);
    EXPECT_LE(static_cast<double>(before.QuadPart), now * (1 + 1e-12));
    EXPECT_LE(now, static_cast<double>(after.QuadPart) * (1 + 1e-12));
}
