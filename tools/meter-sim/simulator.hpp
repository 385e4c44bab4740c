// meter-sim's serving: the loop that answers queries on the pseudo terminal
// until a stop signal or --count ends it.
#pragma once

#include "tools/meter-sim/options.hpp"

namespace meter_sim {

// Opens the pseudo terminal (and publishes it, with --port-dir), prints its
// device path and serves until stopped; returns the exit status. Throws
// Failure, or a filesystem error, when it cannot.
int Serve(const Options& options);

}  // namespace meter_sim
