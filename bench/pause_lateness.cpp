// How late meter::Pause ends on the real clock: the median and the largest
// lateness over many pauses of the job's polling length (0.1 s).
// usage: pause-lateness [COUNT]   (default 50)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "meter/query.hpp"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::stoi(argv[1]) : 50;
    if (count < 1) return 2;
    meter::Clock& clock = meter::SteadyClock();
    std::vector<double> late;
    for (int i = 0; i < count; ++i) {
        const double start = clock.Now();
        meter::Pause(meter::PollPause);
        late.push_back(clock.Now() - start - meter::PollPause);
    }
    std::sort(late.begin(), late.end());
    std::printf("%d pauses of %.1f s end late by %.3f ms (median), %.3f ms (largest)\n", count,
                meter::PollPause, late[late.size() / 2] * 1e3, late.back() * 1e3);
}
