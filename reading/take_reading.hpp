// The reading step of the job: ask the meter and convert its reply.
#pragma once

#include <string>

namespace reading {

// Reports the start in the status label, sends "QM" twice over SerCom, and
// converts the second reply with the job's TargetText. Returns the result text,
// empty when the reply is empty. Failures (serial errors, replies that cannot
// be converted) propagate to the caller.
std::string TakeReading();

}  // namespace reading
