#include "meter/recording_serial.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

namespace meter {

namespace {

// The device a port map entry leads to, found while the entry is there.
std::string Followed(const std::string& device) {
    std::error_code error;
    if (!std::filesystem::is_symlink(device, error)) return device;
    const std::filesystem::path real = std::filesystem::canonical(device, error);
    return real.empty() ? device : real.string();
}

}  // namespace

void RecordingSerial::SetPortOpen(bool open) {
    port_->SetPortOpen(open);
    log_->push_back({open ? SerialEvent::Kind::Open : SerialEvent::Kind::Close, clock_.Now(),
                     open ? Followed(port_->Device()) : std::string()});
}

void RecordingSerial::Output(std::string_view text) {
    const double at = clock_.Now();
    port_->Output(text);
    log_->push_back({SerialEvent::Kind::Output, at, std::string(text)});
}

std::string RecordingSerial::Input() {
    std::string data = port_->Input();
    if (!data.empty()) log_->push_back({SerialEvent::Kind::Input, clock_.Now(), data});
    return data;
}

std::vector<SerialEvent> RecordingSerial::TakeEvents() {
    return std::exchange(*log_, {});
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
