// The system's own words for a Windows error code, for the error texts of the
// Win32 serial control and the port check.
#pragma once

#include <string>

namespace station {

// The message FormatMessage gives for the code, without its trailing line
// break and full stop, followed by " (error N)".
std::string SystemMessage(unsigned long error);

}  // namespace station
