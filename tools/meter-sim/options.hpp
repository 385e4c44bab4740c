// meter-sim's command line: the options, their parsing and the usage text, and
// the errors that end the simulator with their exit statuses.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace meter_sim {

// The --help text.
extern const char* const Usage;

// A bad command line: reported with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Anything else that stops the simulator: exit status 1.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message of a failed system call: what failed, then errno's text.
std::string SystemError(const std::string& what);

struct Options {
    std::string reading = "0\r+1.2345 kOhms\r";
    std::map<long, std::string> replies;  // by query number
    double delay = 0;
    long pieces = 1;
    double pieceGap = 0.3;
    bool silent = false;
    std::string unsolicited;
    std::string babble;
    std::string logPath;
    std::string portDir;
    long port = 0;
    long count = 0;  // 0: serve until stopped
    std::string replayPath;  // a journal: answer with a recorded job's bytes
    long replayJob = 0;      // its line; 0: the last
};

// Returns no options when --help was given; --version prints the version and
// exits. Throws UsageError on a bad command line.
std::optional<Options> ParseCommandLine(int argc, char** argv);

}  // namespace meter_sim
