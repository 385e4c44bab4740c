// Windows has no pseudo terminal for the meter simulator: replay is a Linux
// command. A journal copied from a Windows station replays there.
#include <iostream>

#include "tools/journal/command_line.hpp"
#include "tools/journal/replay.hpp"

namespace journal_tool {

int Replay(const std::string&, std::uint64_t) {
    std::cerr << "quillet-journal: replay is not available on Windows; copy the journal to a "
                 "Linux computer with the Quillet Reading Utility and run it there\n";
    return ExitTrouble;
}

}  // namespace journal_tool
