#include "tools/port-check/recording_serial.hpp"

#include <utility>

namespace port_check {

void RecordingSerial::SetPortOpen(bool open) {
    port_.SetPortOpen(open);
    events_.push_back({open ? SerialEvent::Kind::Open : SerialEvent::Kind::Close, clock_.Now(), {}});
}

void RecordingSerial::Output(std::string_view text) {
    const double at = clock_.Now();
    port_.Output(text);
    events_.push_back({SerialEvent::Kind::Output, at, std::string(text)});
}

std::string RecordingSerial::Input() {
    std::string data = port_.Input();
    if (!data.empty()) events_.push_back({SerialEvent::Kind::Input, clock_.Now(), data});
    return data;
}

std::vector<SerialEvent> RecordingSerial::TakeEvents() {
    return std::exchange(events_, {});
}

QueryTrace TraceQuery(const std::vector<SerialEvent>& events) {
    QueryTrace trace;
    double sent = 0;
    for (const SerialEvent& event : events) {
        if (event.kind == SerialEvent::Kind::Output) {
            if (trace.attempts++ == 0) {
                trace.command = event.data;
                sent = event.at;
            }
        } else if (event.kind == SerialEvent::Kind::Input) {
            if (trace.attempts == 0) {
                trace.stale += event.data;
                continue;
            }
            if (trace.firstByte < 0) trace.firstByte = event.at - sent;
            if (trace.lineEnd < 0 && event.data.find('\r') != std::string::npos) {
                trace.lineEnd = event.at - sent;
            }
            trace.reply += event.data;
        }
    }
    return trace;
}

}  // namespace port_check
