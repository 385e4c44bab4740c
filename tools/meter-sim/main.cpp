// meter-sim: a meter on a pseudo terminal, for tests, demonstrations and for
// rehearsing a host setup without hardware. It answers every "QM" + CR that it
// receives with a reading, in the ways its options choose.
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr const char* Usage = R"(Usage: quillet-meter-sim [OPTION]...
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
                       removed again at exit; needs --port
  --port N             the port number N for --port-dir, 1 to 255
  --count N            exit after the N-th query, once the port is closed
  --help               show this text and exit
  --version            show the version and exit

TEXT may hold the escapes \r (CR), \n (LF), \t (tab), \\ and \xHH (any byte).
A command is what arrives up to and including a CR; only "QM" + CR gets an
answer, and every command is logged, escaped the same way.
Exit status: 0 when stopped or done, 1 on a failure, 2 on a bad command line.
)";

constexpr double LineRate = 960;  // characters per second on a 9600 baud 8N1 line
constexpr auto BabbleTick = std::chrono::milliseconds(10);
constexpr auto ReleaseCheck = std::chrono::milliseconds(50);

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
};

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Unescape(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char kind = i + 1 < text.size() ? text[++i] : '\0';
        switch (kind) {
            case 'r':
                bytes += '\r';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 't':
                bytes += '\t';
                break;
            case '\\':
                bytes += '\\';
                break;
            case 'x': {
                const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    throw UsageError("\\x needs two hex digits in '" + std::string(text) + "'");
                }
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                throw UsageError("unknown escape in '" + std::string(text) +
                                 R"(' (use \r, \n, \t, \\ or \xHH))");
        }
    }
    return bytes;
}

// The log's form of received bytes: printable ASCII as is, the rest escaped.
std::string Escape(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (code < 32 || code > 126) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", code);
            text += hex;
        } else {
            text += c;
        }
    }
    return text;
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
    OptHelp,
    OptVersion,
};

// Returns no options when --help was given.
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
                options.reading = Unescape(optarg);
                break;
            case OptReply: {
                const std::string_view assignment = optarg;
                const auto equals = assignment.find('=');
                if (equals == std::string_view::npos) {
                    throw UsageError("--reply needs N=TEXT, not '" + std::string(assignment) + "'");
                }
                const long query =
                    ParseNumber("--reply", assignment.substr(0, equals), 1, LONG_MAX);
                if (!options.replies.emplace(query, Unescape(assignment.substr(equals + 1)))
                         .second) {
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
                options.unsolicited = Unescape(optarg);
                break;
            case OptBabble:
                options.babble = Unescape(optarg);
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
    return options;
}

// The pseudo terminal: our end (the master) and a slave descriptor kept open
// for the whole run. Without that slave descriptor every close by the program
// under test would hang the master up (reads fail, poll reports a hang-up
// without end), and bytes sent before its first open would meet a terminal in
// its default cooked mode, which echoes them and turns CR into LF.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0) throw Failure(SystemError("posix_openpt"));
        char name[256];
        if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
            ptsname_r(master_, name, sizeof name) != 0) {
            throw Failure(SystemError("pseudo terminal setup"));
        }
        path_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) throw Failure(SystemError("open " + path_));
        termios tio{};
        if (tcgetattr(slave_, &tio) != 0) throw Failure(SystemError("tcgetattr " + path_));
        cfmakeraw(&tio);
        if (tcsetattr(slave_, TCSANOW, &tio) != 0) throw Failure(SystemError("raw mode " + path_));
        if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(master_, F_SETFL, O_NONBLOCK) != 0) {
            throw Failure(SystemError("fcntl"));
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() {
        if (slave_ >= 0) close(slave_);
        close(master_);
    }

    int Master() const { return master_; }
    const std::string& Path() const { return path_; }

    // Whether no program holds the port: the utility keeps the device locked
    // for as long as its port is open.
    bool Released() const {
        if (flock(slave_, LOCK_EX | LOCK_NB) != 0) return false;
        flock(slave_, LOCK_UN);
        return true;
    }

    // Sends what the terminal takes now; returns how many bytes that was.
    std::size_t Send(std::string_view bytes) const {
        const ssize_t sent = write(master_, bytes.data(), bytes.size());
        if (sent >= 0) return static_cast<std::size_t>(sent);
        if (errno == EAGAIN || errno == EINTR) return 0;
        throw Failure(SystemError("write to " + path_));
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// DIR/COM<n> pointing at the terminal, for as long as this object lives.
class PublishedPort {
public:
    PublishedPort(const std::string& dir, long port, const std::string& target)
        : link_(fs::path(dir) / ("COM" + std::to_string(port))), target_(target) {
        fs::create_directories(link_.parent_path());
        const auto status = fs::symlink_status(link_);
        if (fs::exists(status)) {
            // A killed simulator leaves a link that dangles, or that points
            // at this terminal when its number came round again; anything
            // else may be somebody's real port.
            const bool stale = fs::is_symlink(status) &&
                               (!fs::exists(link_) || fs::read_symlink(link_) == target_);
            if (!stale) {
                throw Failure(link_.string() + " already exists; choose another --port");
            }
            fs::remove(link_);
        }
        fs::create_symlink(target_, link_);
    }
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;
    ~PublishedPort() {
        std::error_code error;
        if (fs::read_symlink(link_, error) == target_) fs::remove(link_, error);
    }

private:
    fs::path link_;
    fs::path target_;
};

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
    stopRequested = 1;
}

class Simulator {
public:
    Simulator(const Options& options, const PseudoTerminal& terminal)
        : options_(options), terminal_(terminal) {
        if (!options_.logPath.empty()) {
            log_.open(options_.logPath, std::ios::app);
            if (!log_) throw Failure("cannot open the log " + options_.logPath);
        }
        // Sent before the device path is announced, so that it is waiting
        // before the first open.
        const std::string& unsolicited = options_.unsolicited;
        const std::size_t sent = terminal_.Send(unsolicited);
        if (sent < unsolicited.size()) outgoing_.push_back({start_, unsolicited.substr(sent)});
    }

    // Serves until a stop signal arrives, or until --count is reached and the
    // port has been closed. The stop signals must be blocked; they are taken
    // only while waiting, so that none is missed.
    void Run(const sigset_t& waitMask) {
        for (;;) {
            const auto now = Clock::now();
            const bool blocked = SendDue(now);
            SendBabble(now);
            const bool done = options_.count > 0 && queries_ >= options_.count;
            if (stopRequested || (done && outgoing_.empty() && terminal_.Released())) break;

            std::optional<Clock::time_point> wake;
            if (!outgoing_.empty() && !blocked) wake = outgoing_.front().when;
            if (!options_.babble.empty()) wake = std::min(wake.value_or(nextBabble_), nextBabble_);
            if (done) wake = std::min(wake.value_or(now + ReleaseCheck), now + ReleaseCheck);
            timespec timeout{};
            if (wake) {
                const auto wait = std::max(*wake - now, Clock::duration::zero());
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
                timeout = {static_cast<time_t>(ns / 1'000'000'000),
                           static_cast<long>(ns % 1'000'000'000)};
            }
            pollfd ready{terminal_.Master(), static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)),
                         0};
            if (ppoll(&ready, 1, wake ? &timeout : nullptr, &waitMask) < 0) {
                if (errno == EINTR) continue;
                throw Failure(SystemError("ppoll"));
            }
            if (ready.revents & POLLIN) Receive();
        }
        if (!command_.empty()) Log(Escape(command_) + " (no CR before exit)");
    }

private:
    struct Outgoing {
        Clock::time_point when;
        std::string bytes;
    };

    void Receive() {
        char buffer[4096];
        const ssize_t got = read(terminal_.Master(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) return;
            throw Failure(SystemError("read from " + terminal_.Path()));
        }
        for (ssize_t i = 0; i < got; ++i) {
            command_ += buffer[i];
            if (buffer[i] == '\r') {
                Handle(command_);
                command_.clear();
            }
        }
    }

    void Handle(const std::string& command) {
        Log(Escape(command));
        if (command != "QM\r") return;
        ++queries_;
        if (options_.silent) return;
        const auto chosen = options_.replies.find(queries_);
        Schedule(chosen != options_.replies.end() ? chosen->second : options_.reading);
    }

    // Queues the reply in its pieces; a reply never overtakes an earlier one.
    void Schedule(const std::string& reply) {
        const auto gap = std::chrono::duration_cast<Clock::duration>(Seconds(options_.pieceGap));
        auto when = std::max(
            Clock::now() + std::chrono::duration_cast<Clock::duration>(Seconds(options_.delay)),
            lastScheduled_);
        const auto count = static_cast<std::size_t>(options_.pieces);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t from = reply.size() * i / count;
            const std::size_t to = reply.size() * (i + 1) / count;
            if (from == to) continue;
            outgoing_.push_back({when, reply.substr(from, to - from)});
            lastScheduled_ = when;
            when += gap;
        }
    }

    // Sends what is due; returns true when the terminal could not take it all.
    bool SendDue(Clock::time_point now) {
        while (!outgoing_.empty() && outgoing_.front().when <= now) {
            std::string& bytes = outgoing_.front().bytes;
            bytes.erase(0, terminal_.Send(bytes));
            if (!bytes.empty()) return true;
            outgoing_.pop_front();
        }
        return false;
    }

    // Keeps the babble at line rate; what the terminal cannot take is lost, as
    // on a line whose receiver overruns.
    void SendBabble(Clock::time_point now) {
        if (options_.babble.empty() || now < nextBabble_) return;
        const auto due = static_cast<std::size_t>(Seconds(now - start_).count() * LineRate);
        std::string bytes;
        for (; babbleSent_ < due; ++babbleSent_) {
            bytes += options_.babble[babbleSent_ % options_.babble.size()];
        }
        terminal_.Send(bytes);
        nextBabble_ = now + BabbleTick;
    }

    void Log(const std::string& line) {
        if (!log_.is_open()) return;
        const auto wall = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(wall);
        const auto millis =
            std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count() %
            1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        char stamp[64];
        const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        std::snprintf(stamp + length, sizeof stamp - length, ".%03lld +%.6f",
                      static_cast<long long>(millis), Seconds(Clock::now() - start_).count());
        log_ << stamp << ' ' << line << std::endl;
    }

    const Options& options_;
    const PseudoTerminal& terminal_;
    std::ofstream log_;
    const Clock::time_point start_ = Clock::now();
    std::deque<Outgoing> outgoing_;
    Clock::time_point lastScheduled_ = start_;
    Clock::time_point nextBabble_ = start_;
    std::size_t babbleSent_ = 0;
    std::string command_;  // received bytes not yet ended by a CR
    long queries_ = 0;
};

int Serve(const Options& options) {
    // The stop signals stay blocked except while the simulator waits.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&stopSignals, signal);
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigaction(signal, &action, nullptr);
    }
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigdelset(&waitMask, signal);

    const PseudoTerminal terminal;
    std::optional<PublishedPort> published;
    if (!options.portDir.empty()) published.emplace(options.portDir, options.port, terminal.Path());
    Simulator simulator(options, terminal);
    std::printf("%s\n", terminal.Path().c_str());
    std::fflush(stdout);
    simulator.Run(waitMask);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto options = ParseCommandLine(argc, argv);
        if (!options) {
            std::fputs(Usage, stdout);
            return 0;
        }
        return Serve(*options);
    } catch (const UsageError& error) {
        std::fprintf(stderr,
                     "quillet-meter-sim: %s\nTry 'quillet-meter-sim --help' for more information.\n",
                     error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillet-meter-sim: %s\n", error.what());
        return 1;
    }
}
