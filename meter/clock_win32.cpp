// The job's clock on Windows: the performance counter, which counts on at its
// own pace whatever is done to the system time. (The C++ library's
// steady_clock would not do: in MinGW's win32-threads variant it follows the
// wall clock.)
//
// Sleeps wait on a waitable timer. Where the system has high-resolution
// timers (Windows 10 version 1803 and later) it is one of those; elsewhere the
// system's timer period is 1 ms for as long as the program runs. Otherwise a
// sleep would end only at the next tick of the default 15.6 ms period.
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include "meter/clock.hpp"

namespace meter {

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which the MinGW-w64 headers lack.
constexpr DWORD HighResolutionTimer = 0x2;

HANDLE MakeTimer(DWORD flags) {
    return CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_MODIFY_STATE | SYNCHRONIZE);
}

class PerformanceCounterClock final : public Clock {
public:
    PerformanceCounterClock() {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);  // never fails from Windows XP on
        ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
        // Systems without high-resolution timers refuse the flag.
        if (HANDLE probe = MakeTimer(HighResolutionTimer)) {
            CloseHandle(probe);
            timerFlags_ = HighResolutionTimer;
        } else {
            periodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        }
    }
    PerformanceCounterClock(const PerformanceCounterClock&) = delete;
    PerformanceCounterClock& operator=(const PerformanceCounterClock&) = delete;
    ~PerformanceCounterClock() override {
        if (periodSet_) timeEndPeriod(1);
    }

    double Now() override {
        LARGE_INTEGER ticks{};
        QueryPerformanceCounter(&ticks);
        return static_cast<double>(ticks.QuadPart) / ticksPerSecond_;
    }

    void SleepFor(double seconds) override {
        if (seconds <= 0) return;
        // A timer of this call's own, so that threads never share one. When
        // there is none, the caller's clock readings do the whole wait.
        HANDLE timer = MakeTimer(timerFlags_);
        if (timer == nullptr) return;
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // relative, in 100 ns
        if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(timer, INFINITE);
        }
        CloseHandle(timer);
    }

private:
    double ticksPerSecond_ = 1;
    DWORD timerFlags_ = 0;
    bool periodSet_ = false;
};

}  // namespace

Clock& SteadyClock() {
    static PerformanceCounterClock clock;
    return clock;
}

}  // namespace meter
