#include "meter/recording_serial.hpp"

#include <utility>

namespace meter {

void RecordingSerial::SetPortOpen(bool open) {
    port_->SetPortOpen(open);
    events_.push_back({open ? SerialEvent::Kind::Open : SerialEvent::Kind::Close, clock_.Now(), {}});
}

void RecordingSerial::Output(std::string_view text) {
    const double at = clock_.Now();
    port_->Output(text);
    events_.push_back({SerialEvent::Kind::Output, at, std::string(text)});
}

std::string RecordingSerial::Input() {
    std::string data = port_->Input();
    if (!data.empty()) events_.push_back({SerialEvent::Kind::Input, clock_.Now(), data});
    return data;
}

std::vector<SerialEvent> RecordingSerial::TakeEvents() {
    return std::exchange(events_, {});
}

std::vector<QueryTrace> SplitQueries(const std::vector<SerialEvent>& events) {
    std::vector<QueryTrace> queries;
    double firstCommand = 0;
    for (const SerialEvent& event : events) {
        if (event.kind == SerialEvent::Kind::Open || queries.empty()) queries.emplace_back();
        QueryTrace& query = queries.back();
        if (event.kind == SerialEvent::Kind::Output) {
            if (query.attempts.empty()) firstCommand = event.at;
            query.attempts.push_back({event.at - firstCommand, event.data, {}});
        } else if (event.kind == SerialEvent::Kind::Input) {
            if (query.attempts.empty()) {
                query.discarded += event.data;
            } else {
                const QueryTrace::Attempt& attempt = query.attempts.back();
                query.attempts.back().reads.push_back(
                    {event.at - firstCommand - attempt.at, event.data});
            }
        }
    }
    return queries;
}

}  // namespace meter
