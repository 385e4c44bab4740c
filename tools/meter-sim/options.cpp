// meter-sim's command line: the option table, its parsing with getopt_long
// and the usage text.
#include "tools/meter-sim/options.hpp"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "quillet/version.hpp"
#include "tools/common/escape.hpp"

namespace meter_sim {

const char* const Usage = R"(Usage: quillet-meter-sim [OPTION]...
A meter on a pseudo terminal. Prints the terminal's device path on standard
output (once it is ready, and after --port-dir has published it), then answers
every "QM" + CR it receives, until SIGTERM or SIGINT (or --count) ends it.

  --reading TEXT       the reply to every query (default: 0\r+1.2345 kOhms\r)
  --reply N=TEXT       the reply to query number N instead (1 is the first);
                       repeatable. An empty TEXT sends nothing
  --delay SECONDS      wait before answering a query (default 0)
  --pieces N           send each reply in N pieces (default 1)
  --piece-gap SECONDS  the time between pieces (default 0.3)
  --silent             never answer
  --unsolicited TEXT   send TEXT once at start, before any query
  --babble TEXT        send TEXT over and over without end, at the pace of a
                       9600 baud line (960 characters per second)
  --log FILE           append every command received to FILE, one line each:
                       local time, seconds since start, the command
  --port-dir DIR       publish the terminal as the symbolic link DIR/COM<N>,
                       removed again at exit; needs --port. DIR is made when
                       missing. An existing DIR/COM<N> (a link, even one that
                       points nowhere, or anything else) is refused and left
                       as it is
  --port N             the port number N for --port-dir, 1 to 255
  --count N            exit after the N-th query, once the port is closed
  --replay FILE        answer as the meter did in a job of the utility's
                       journal FILE: the n-th command gets the bytes of the
                       n-th attempt the job made, at their recorded times
                       (a silent attempt stays silent), instead of --reading,
                       --reply, --delay, --pieces and --silent. The line is
                       read as JSON: each character of a read's "bytes", a
                       \u escape or UTF-8, stands for the byte of its code
                       (at most U+00FF); a line that is not a journal entry
                       is refused
  --job N              the job to replay: line N of FILE (default: the last)
  --help               show this text and exit
  --version            show the version and exit

TEXT may hold the escapes \r (CR), \n (LF), \t (tab), \\ and \xHH (any byte).
A command is what arrives up to and including a CR; only "QM" + CR gets an
answer, and every command is logged, escaped the same way.
Exit status: 0 when stopped or done, 1 on a failure, 2 on a bad command line.
)";

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

namespace {

// The bytes a TEXT option stands for; a bad escape is a bad command line.
std::string Bytes(std::string_view text) {
    try {
        return tools::Unescape(text);
    } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
    }
}

double ParseSeconds(const std::string& option, const char* text) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value) || value < 0) {
        throw UsageError(option + " needs a number of seconds, 0 or more, not '" + text + "'");
    }
    return value;
}

long ParseNumber(const std::string& option, std::string_view text, long low, long high) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(copy.c_str(), &end, 10);
    if (copy.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + copy + "'");
    }
    return value;
}

enum OptionCode {
    OptReading = 256,
    OptReply,
    OptDelay,
    OptPieces,
    OptPieceGap,
    OptSilent,
    OptUnsolicited,
    OptBabble,
    OptLog,
    OptPortDir,
    OptPort,
    OptCount,
    OptReplay,
    OptJob,
    OptHelp,
    OptVersion,
};

}  // namespace

std::optional<Options> ParseCommandLine(int argc, char** argv) {
    static const option longOptions[] = {
        {"reading", required_argument, nullptr, OptReading},
        {"reply", required_argument, nullptr, OptReply},
        {"delay", required_argument, nullptr, OptDelay},
        {"pieces", required_argument, nullptr, OptPieces},
        {"piece-gap", required_argument, nullptr, OptPieceGap},
        {"silent", no_argument, nullptr, OptSilent},
        {"unsolicited", required_argument, nullptr, OptUnsolicited},
        {"babble", required_argument, nullptr, OptBabble},
        {"log", required_argument, nullptr, OptLog},
        {"port-dir", required_argument, nullptr, OptPortDir},
        {"port", required_argument, nullptr, OptPort},
        {"count", required_argument, nullptr, OptCount},
        {"replay", required_argument, nullptr, OptReplay},
        {"job", required_argument, nullptr, OptJob},
        {"help", no_argument, nullptr, OptHelp},
        {"version", no_argument, nullptr, OptVersion},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;
    for (;;) {
        const int code = getopt_long(argc, argv, ":", longOptions, nullptr);
        if (code == -1) break;
        const std::string name = argv[optind - 1];
        switch (code) {
            case OptReading:
                options.reading = Bytes(optarg);
                break;
            case OptReply: {
                const std::string_view assignment = optarg;
                const auto equals = assignment.find('=');
                if (equals == std::string_view::npos) {
                    throw UsageError("--reply needs N=TEXT, not '" + std::string(assignment) + "'");
                }
                const long query =
                    ParseNumber("--reply", assignment.substr(0, equals), 1, LONG_MAX);
                if (!options.replies.emplace(query, Bytes(assignment.substr(equals + 1))).second) {
                    throw UsageError("--reply " + std::to_string(query) + " is given twice");
                }
                break;
            }
            case OptDelay:
                options.delay = ParseSeconds("--delay", optarg);
                break;
            case OptPieces:
                options.pieces = ParseNumber("--pieces", optarg, 1, 1000);
                break;
            case OptPieceGap:
                options.pieceGap = ParseSeconds("--piece-gap", optarg);
                break;
            case OptSilent:
                options.silent = true;
                break;
            case OptUnsolicited:
                options.unsolicited = Bytes(optarg);
                break;
            case OptBabble:
                options.babble = Bytes(optarg);
                if (options.babble.empty()) throw UsageError("--babble needs a text to repeat");
                break;
            case OptLog:
                options.logPath = optarg;
                break;
            case OptPortDir:
                options.portDir = optarg;
                break;
            case OptPort:
                options.port = ParseNumber("--port", optarg, 1, 255);
                break;
            case OptCount:
                options.count = ParseNumber("--count", optarg, 1, LONG_MAX);
                break;
            case OptReplay:
                options.replayPath = optarg;
                break;
            case OptJob:
                options.replayJob = ParseNumber("--job", optarg, 1, LONG_MAX);
                break;
            case OptHelp:
                return std::nullopt;
            case OptVersion:
                std::puts("quillet-meter-sim " QUILLET_VERSION);
                std::exit(0);
            case ':':
                throw UsageError(name + " needs a value");
            default:
                throw UsageError("unknown option '" + name + "'");
        }
    }
    if (optind < argc) throw UsageError("unexpected argument '" + std::string(argv[optind]) + "'");
    if (options.portDir.empty() != (options.port == 0)) {
        throw UsageError("--port-dir and --port go together");
    }
    if (options.replayJob != 0 && options.replayPath.empty()) {
        throw UsageError("--job needs --replay");
    }
    return options;
}

}  // namespace meter_sim
