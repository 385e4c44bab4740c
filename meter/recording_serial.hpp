// A serial control that passes every call on to a real one and keeps a
// timestamped record of what went over the line: the port check reports from
// it, and the job's journal keeps it, without a second copy of the query code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "meter/clock.hpp"
#include "meter/serial_control.hpp"

namespace meter {

struct SerialEvent {
    enum class Kind { Open, Close, Output, Input };
    Kind kind;
    double at;         // seconds on the recorder's clock
    std::string data;  // the bytes written or read; for Open the device opened
                       // (a link followed to its target); empty for Close
};

// What a recorder saw, oldest first. It is shared with whoever reads it, so
// that it outlives the control that records into it.
using SerialLog = std::vector<SerialEvent>;

class RecordingSerial final : public SerialControl {
public:
    RecordingSerial(std::unique_ptr<SerialControl> port, Clock& clock,
                    std::shared_ptr<SerialLog> log = std::make_shared<SerialLog>())
        : port_(std::move(port)), clock_(clock), log_(std::move(log)) {}

    void SetCommPort(std::int16_t port) override { port_->SetCommPort(port); }
    std::int16_t CommPort() const override { return port_->CommPort(); }
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return port_->PortOpen(); }
    std::string Device() const override { return port_->Device(); }
    void Output(std::string_view text) override;
    void SetInputLen(int length) override { port_->SetInputLen(length); }
    int InBufferCount() override { return port_->InBufferCount(); }
    std::string Input() override;  // only reads that return bytes are recorded

    // Everything recorded since the last TakeEvents, oldest first.
    std::vector<SerialEvent> TakeEvents();

private:
    std::unique_ptr<SerialControl> port_;
    Clock& clock_;
    std::shared_ptr<SerialLog> log_;
};

// One query transaction as it went over the line: what was read after the
// open and thrown away, then each attempt, begun by writing the command.
struct QueryTrace {
    struct Read {
        double at = 0;  // seconds since the attempt's command was written
        std::string bytes;
    };
    struct Attempt {
        double at = 0;  // seconds since the query's first command
        std::string written;
        std::vector<Read> reads;
    };
    std::string discarded;
    std::vector<Attempt> attempts;
};

// The queries in recorded events: each open of the port begins one.
std::vector<QueryTrace> SplitQueries(const std::vector<SerialEvent>& events);

}  // namespace meter
