// meter-sim's serving: commands read from the pseudo terminal, replies
// scheduled and sent on time, the babble, the command log, and the stop
// signals that end it all.
#include "tools/meter-sim/simulator.hpp"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "station/facts.hpp"
#include "tools/common/escape.hpp"
#include "tools/common/pseudo_terminal_posix.hpp"
#include "tools/meter-sim/published_port.hpp"
#include "tools/meter-sim/replay.hpp"

namespace meter_sim {

using tools::PseudoTerminal;

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using tools::Escape;

constexpr double LineRate = 960;  // characters per second on a 9600 baud 8N1 line
constexpr auto BabbleTick = std::chrono::milliseconds(10);
constexpr auto ReleaseCheck = std::chrono::milliseconds(50);
// Replayed bytes go out this much before their recorded time: they were read
// at one of the utility's 0.1 s polls, and must be waiting when the utility
// polls at that time again.
constexpr double ReplayLead = 0.05;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
    stopRequested = 1;
}

class Simulator {
public:
    Simulator(const Options& options, const PseudoTerminal& terminal,
              std::optional<ReplayedAnswers> replay)
        : options_(options), terminal_(terminal), replay_(std::move(replay)) {
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
        Schedule(Answer());
    }

    // A piece of an answer and when it goes out, in seconds after the query.
    struct Piece {
        double after;
        std::string bytes;
    };

    // The answer to the latest query: the recorded bytes of a replayed job's
    // attempt, or the reply the options choose, in its pieces.
    std::vector<Piece> Answer() const {
        std::vector<Piece> pieces;
        if (replay_) {
            const auto index = static_cast<std::size_t>(queries_ - 1);
            if (index >= replay_->size()) return pieces;
            for (const ReplayedRead& read : (*replay_)[index]) {
                pieces.push_back({std::max(read.at - ReplayLead, 0.0), read.bytes});
            }
            return pieces;
        }
        if (options_.silent) return pieces;
        const auto chosen = options_.replies.find(queries_);
        const std::string& reply = chosen != options_.replies.end() ? chosen->second : options_.reading;
        const auto count = static_cast<std::size_t>(options_.pieces);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t from = reply.size() * i / count;
            const std::size_t to = reply.size() * (i + 1) / count;
            if (from == to) continue;
            pieces.push_back({options_.delay + static_cast<double>(pieces.size()) * options_.pieceGap,
                              reply.substr(from, to - from)});
        }
        return pieces;
    }

    // Queues the pieces at their times. An answer never overtakes an earlier
    // one: it is put back whole, its pieces keeping their gaps.
    void Schedule(const std::vector<Piece>& pieces) {
        if (pieces.empty()) return;
        auto at = [now = Clock::now()](double after) {
            return now + std::chrono::duration_cast<Clock::duration>(Seconds(after));
        };
        const auto shift = std::max(lastScheduled_ - at(pieces.front().after), Clock::duration::zero());
        for (const Piece& piece : pieces) {
            lastScheduled_ = at(piece.after) + shift;
            outgoing_.push_back({lastScheduled_, piece.bytes});
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
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, " +%.6f ", Seconds(Clock::now() - start_).count());
        log_ << station::LocalTimestamp(std::chrono::system_clock::now()) << elapsed << line
             << std::endl;
    }

    const Options& options_;
    const PseudoTerminal& terminal_;
    const std::optional<ReplayedAnswers> replay_;
    std::ofstream log_;
    const Clock::time_point start_ = Clock::now();
    std::deque<Outgoing> outgoing_;
    Clock::time_point lastScheduled_ = start_;
    Clock::time_point nextBabble_ = start_;
    std::size_t babbleSent_ = 0;
    std::string command_;  // received bytes not yet ended by a CR
    long queries_ = 0;
};

}  // namespace

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

    // A journal that cannot be replayed stops the simulator before anything
    // is published.
    std::optional<ReplayedAnswers> replay;
    if (!options.replayPath.empty()) replay = LoadReplay(options.replayPath, options.replayJob);
    const PseudoTerminal terminal;
    std::optional<PublishedPort> published;
    if (!options.portDir.empty()) published.emplace(options.portDir, options.port, terminal.Path());
    Simulator simulator(options, terminal, std::move(replay));
    std::printf("%s\n", terminal.Path().c_str());
    std::fflush(stdout);
    simulator.Run(waitMask);
    return 0;
}

}  // namespace meter_sim
