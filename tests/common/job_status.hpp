// The status text a whole job leaves in the label, written down once for the
// C++ tests (the shell tests have theirs in their job harness).
#pragma once

#include <string>
#include <string_view>

namespace jobstatus {

inline std::string WithReading(std::string_view result) {
    return "Reading from 189...\r\rReading = " + std::string(result) +
           "\r\rPassing reading to Vantor...";
}

inline const std::string WithoutReading = "Reading from 189...\r\rSettling...";

}  // namespace jobstatus
