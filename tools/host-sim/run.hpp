// One job as the host runs it: the prepared record written, the utility
// started in the job's directory and waited for, the record read back and
// judged.
#pragma once

#include "tools/host-sim/options.hpp"

namespace host_sim {

// Runs the job the options describe and returns host-sim's exit status.
// Throws UsageError where the job cannot be prepared as asked.
int RunJob(const Options& options);

}  // namespace host_sim
