// host-sim: does what the host calibration program does around one job. It
// writes record 1 of ExtCtrl.dat in a directory, starts the utility there,
// waits for it, and reports what the utility wrote back. This file turns the
// command line into a run and a bad command line into exit status 2.
#include <iostream>

#include "tools/host-sim/options.hpp"
#include "tools/host-sim/record_view.hpp"
#include "tools/host-sim/run.hpp"

int main(int argc, char** argv) {
    try {
        const auto options = host_sim::ParseCommandLine(argc, argv);
        if (!options) {
            std::cout << host_sim::Usage;
            return 0;
        }
        if (options->show) return host_sim::ShowRecord(*options->show);
        return host_sim::RunJob(*options);
    } catch (const host_sim::UsageError& error) {
        std::cerr << "quillet-host-sim: " << error.what() << "\n"
                  << "Try 'quillet-host-sim --help'.\n";
        return host_sim::ExitUsage;
    }
}
