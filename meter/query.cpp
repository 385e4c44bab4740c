#include "meter/query.hpp"

namespace meter {

namespace {

bool EndsWithLineEnd(const std::string& text) {
    return !text.empty() && text.back() == LineEnd;
}

// Closes the port when an error leaves the transaction, so that the port is
// usable again for the next one.
class CloseOnError {
public:
    explicit CloseOnError(SerialControl& port) : port_(port) {}
    CloseOnError(const CloseOnError&) = delete;
    CloseOnError& operator=(const CloseOnError&) = delete;
    ~CloseOnError() {
        if (!port_.PortOpen()) return;
        try {
            port_.SetPortOpen(false);
        } catch (const SerialError&) {
            // The error already leaving the transaction is the one to report.
        }
    }

private:
    SerialControl& port_;
};

}  // namespace

std::string SendQuery(SerialControl& port, const std::string& command, Clock& clock) {
    port.SetPortOpen(true);
    const CloseOnError closer(port);
    port.Input();  // stale input from before the query is never part of the reply

    std::string reply;
    int attempts = 0;
    do {
        ++attempts;
        const double start = clock.Now();
        port.Output(command + LineEnd);
        port.SetInputLen(0);
        while (!EndsWithLineEnd(reply)) {
            const double elapsed = clock.Now() - start;
            const bool waiting = port.InBufferCount() != 0;
            if (elapsed > ReplyTimeout && !waiting) break;
            // A port that never stops sending ends the wait the same way.
            if (elapsed > AttemptCeiling || reply.size() > ReplyCeiling) break;
            reply += port.Input();
            Pause(PollPause, clock);
        }
        // Bytes still arriving when the wait ends replace what was collected.
        if (port.InBufferCount() != 0) reply = port.Input();
    } while (!EndsWithLineEnd(reply) && attempts < AttemptLimit);

    port.SetPortOpen(false);
    return reply;
}

std::string QueryReading(SerialControl& port,
                         const std::function<void(const std::string& reply)>& each) {
    static const std::string Query = "QM";
    std::string reply;
    for (int query = 0; query < 2; ++query) {
        reply = SendQuery(port, Query);
        if (each) each(reply);
    }
    return reply;
}

void Pause(double seconds, Clock& clock) {
    const double start = clock.Now();
    for (double elapsed = clock.Now() - start; elapsed <= seconds; elapsed = clock.Now() - start) {
        if (seconds - elapsed > WakeAhead) clock.SleepFor(seconds - elapsed - WakeAhead);
    }
}

}  // namespace meter
