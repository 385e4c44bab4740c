#include "meter/serial_base.hpp"

namespace meter {

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

}  // namespace meter
