#include "station/command_line.hpp"

#include <iostream>

namespace station {

bool AnswerHelpOrVersion(std::string_view argument, const std::string& help,
                         const std::string& versionLine) {
    if (IsHelpOption(argument)) {
        std::cout << help;
    } else if (argument == "--version") {
        std::cout << versionLine << "\n";
    } else {
        return false;
    }
    return true;
}

}  // namespace station
