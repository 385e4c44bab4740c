// The status text a whole job leaves in the label, written down once for the
// C++ tests (the shell tests have theirs in their job harness).
#pragma once

#include <string>
#include <string_view>

namespace jobstatus {

// The three lines of a job with a reading, each as it is appended.
inline const std::string ReadingFrom = "Reading from 189...\r\r";
inline std::string ReadingIs(std::string_view result) {
    return "Reading = " + std::string(result) + "\r\r";
}
inline const std::string Passing = "Passing reading to Vantor...";

inline std::string WithReading(std::string_view result) {
    return ReadingFrom + ReadingIs(result) + Passing;
}

inline const std::string WithoutReading = ReadingFrom + "Settling...";

}  // namespace jobstatus
