// meter-sim: a meter on a pseudo terminal, for tests, demonstrations and for
// rehearsing a host setup without hardware. It answers every "QM" + CR that it
// receives with a reading, in the ways its options choose. This file turns
// the command line into a run and the errors into exit statuses.
#include <cstdio>
#include <exception>

#include "tools/meter-sim/options.hpp"
#include "tools/meter-sim/simulator.hpp"

int main(int argc, char** argv) {
    try {
        const auto options = meter_sim::ParseCommandLine(argc, argv);
        if (!options) {
            std::fputs(meter_sim::Usage, stdout);
            return 0;
        }
        return meter_sim::Serve(*options);
    } catch (const meter_sim::UsageError& error) {
        std::fprintf(
            stderr, "quillet-meter-sim: %s\nTry 'quillet-meter-sim --help' for more information.\n",
            error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillet-meter-sim: %s\n", error.what());
        return 1;
    }
}
