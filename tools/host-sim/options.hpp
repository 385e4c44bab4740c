// host-sim's command line: the options, their parsing and the usage text, the
// exit statuses, and the error that reports a bad command line.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace host_sim {

inline constexpr int ExitReading = 0;
inline constexpr int ExitNoReading = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitDamaged = 3;
inline constexpr int ExitUtilityFailed = 4;

// The --help text.
extern const char* const Usage;

// A bad command line, or a job that cannot be prepared as asked: reported
// with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::optional<std::filesystem::path> show;  // --show: the record to print
    std::filesystem::path dir = ".";
    std::optional<std::filesystem::path> portDir;
    std::string target = "1000 Ohms";
    std::string port;
    bool force = false;
    std::string utility;  // default: the utility beside host-sim
};

// Returns no options when --help was given; --version prints the version and
// exits. Throws UsageError on a bad command line.
std::optional<Options> ParseCommandLine(int argc, char** argv);

}  // namespace host_sim
