// A serial control that does nothing, for forms built in the tests.
#pragma once

#include "meter/serial_control.hpp"

namespace uitest {

class NullSerialControl final : public meter::SerialControl {
public:
    void SetCommPort(std::int16_t port) override { port_ = port; }
    std::int16_t CommPort() const override { return port_; }
    void SetPortOpen(bool) override {}
    bool PortOpen() const override { return false; }
    void Output(std::string_view) override {}
    void SetInputLen(int) override {}
    int InBufferCount() override { return 0; }
    std::string Input() override { return {}; }

private:
    std::int16_t port_ = 1;
};

}  // namespace uitest
