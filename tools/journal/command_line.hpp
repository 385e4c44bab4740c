// The journal tool's command line: verify, show or replay, the files and the
// options, checked before any file is opened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/journal/show.hpp"

namespace journal_tool {

// Exit statuses of every command.
constexpr int ExitSame = 0;      // verify: every file whole; show: a match; replay: the same result
constexpr int ExitDiffers = 1;   // verify: a file not whole; show: no match; replay: another result
constexpr int ExitTrouble = 2;   // a file cannot be read, a bad command line, replay cannot run

struct Command {
    enum class Action { Verify, Show, Replay } action = Action::Verify;
    std::vector<std::string> files;
    Filter filter;      // show's filters; replay's --seq in filter.seq
    bool last = false;  // show only the last match of all files
    bool json = false;  // show the raw lines
};

// The command that argv names. Prints the help or the version and exits 0 on
// --help (on Windows also /?) or --version; prints what is wrong and exits
// with ExitTrouble on a bad command line.
Command ParseCommandLine(int argc, char** argv);

}  // namespace journal_tool
