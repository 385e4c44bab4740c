#include "meter/serial_base.hpp"

#include <algorithm>

namespace meter {

std::string ErrorText(const std::string& device, const char* operation, unsigned long code) {
    return device + ": " + operation + ": " + SystemReason(code);
}

void SerialControlBase::SetCommPort(std::int16_t port) {
    if (port < MinPort || port > MaxPort) {
        throw SerialError("port number " + std::to_string(port) + " is not between " +
                          std::to_string(MinPort) + " and " + std::to_string(MaxPort));
    }
    port_ = port;
}

void SerialControlBase::SetPortOpen(bool open) {
    if (!open) {
        Close();
        return;
    }
    if (PortOpen()) throw SerialError(device_ + ": port already open");
    device_ = OpenDevice(port_);
    try {
        ConfigureDevice();
    } catch (const SerialError&) {
        Close();
        throw;
    }
}

void SerialControlBase::SetInputLen(int length) {
    if (length < 0) throw SerialError("read length " + std::to_string(length) + " is negative");
    inputLen_ = length;
}

void SerialControlBase::Close() {
    if (!PortOpen()) return;
    CloseDevice();
    device_.clear();
}

void SerialControlBase::RequireOpen() const {
    if (!PortOpen()) throw SerialError("port " + std::to_string(port_) + " is not open");
}

std::size_t SerialControlBase::ReadLimit() const {
    return inputLen_ == 0 ? MaxInputPerRead
                          : std::min(static_cast<std::size_t>(inputLen_), MaxInputPerRead);
}

int SerialControlBase::InBufferCount() {
    RequireOpen();
    return static_cast<int>(std::min(WaitingBytes(), MaxInputPerRead));
}

std::string SerialControlBase::Input() {
    RequireOpen();
    if (CountsBeforeRead()) WaitingBytes();
    const std::size_t limit = ReadLimit();
    std::string data;
    char buffer[4096];
    while (data.size() < limit) {
        const std::size_t got = ReadSome(buffer, std::min(sizeof buffer, limit - data.size()));
        if (got == 0) break;
        data.append(buffer, got);
    }
    return data;
}

SerialError SerialControlBase::OutputTimedOut() const {
    return SerialError(device_ + ": write: the device took no more bytes within " +
                       std::to_string(OutputWaitMs) + " ms");
}

}  // namespace meter
