// The reading step of the job: ask the meter and convert its reply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CalMod {

// Reports the start in the status label, sends "QM" twice over SerCom, and
// converts the second reply into the unit the job's target text ends in.
// Returns the result text, empty when the reply is empty. Failures (serial
// errors, replies that cannot be converted) propagate to the caller. With
// `replies`, each query's reply is added to it as it comes (the journal).
std::string TakeReading(std::string_view targetText, std::vector<std::string>* replies = nullptr);

}  // namespace CalMod
