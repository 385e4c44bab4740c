// Pause on a monotonic clock: this program's own clock_gettime, which the C++
// library's clocks call too, makes the wall clock leap while `leaping` is set.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>

#include "meter/query.hpp"

static std::atomic<bool> leaping{false};
static std::atomic<long> leaps{0};  // an hour more at every reading

extern "C" int clock_gettime(clockid_t id, timespec* time) noexcept {
    const long status = syscall(SYS_clock_gettime, id, time);
    if (status == 0 && id == CLOCK_REALTIME && leaping) time->tv_sec += ++leaps * 3600;
    return static_cast<int>(status);
}

TEST(Pause, WaitsOnTheSteadyClock) {
    using std::chrono::steady_clock, std::chrono::system_clock;
    leaping = true;
    const auto wall = system_clock::now();
    const auto start = steady_clock::now();
    meter::Pause(0.05);
    EXPECT_GT(steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_GT(system_clock::now() - wall, std::chrono::hours(1));  // it did leap
    leaping = false;
}
