// A serial control that passes every call on to a real one and keeps a
// timestamped record of what went over the line, so that a report can say
// when a reply began and ended without a second copy of the query code.
#pragma once

#include <string>
#include <vector>

#include "meter/clock.hpp"
#include "meter/serial_control.hpp"

namespace port_check {

struct SerialEvent {
    enum class Kind { Open, Close, Output, Input };
    Kind kind;
    double at;         // seconds on the recorder's clock
    std::string data;  // the bytes written or read; empty for Open and Close
};

class RecordingSerial final : public meter::SerialControl {
public:
    RecordingSerial(meter::SerialControl& port, meter::Clock& clock) : port_(port), clock_(clock) {}

    void SetCommPort(std::int16_t port) override { port_.SetCommPort(port); }
    std::int16_t CommPort() const override { return port_.CommPort(); }
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return port_.PortOpen(); }
    void Output(std::string_view text) override;
    void SetInputLen(int length) override { port_.SetInputLen(length); }
    int InBufferCount() override { return port_.InBufferCount(); }
    std::string Input() override;

    // Everything recorded since the last TakeEvents, oldest first.
    std::vector<SerialEvent> TakeEvents();

private:
    meter::SerialControl& port_;
    meter::Clock& clock_;
    std::vector<SerialEvent> events_;
};

// What one query transaction looked like on the line.
struct QueryTrace {
    std::string stale;    // bytes discarded after the open, before the command
    std::string command;  // the first command written
    int attempts = 0;     // commands written
    std::string reply;    // every byte read after the first command
    double firstByte = -1;  // seconds from the first command to the first byte; -1: none
    double lineEnd = -1;    // seconds from the first command to the first CR; -1: none
};

QueryTrace TraceQuery(const std::vector<SerialEvent>& events);

}  // namespace port_check
