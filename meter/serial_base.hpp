// What every serial control backend shares: the selected port number, the
// read length, the open/close switch and the "must be open" check. A backend
// adds only what its platform does: open and close a device, and count, read
// and write its bytes.
#pragma once

#include <cstdint>
#include <string>

#include "meter/serial_control.hpp"

namespace meter {

class SerialControlBase : public SerialControl {
public:
    void SetCommPort(std::int16_t port) final;
    std::int16_t CommPort() const final { return port_; }

    void SetPortOpen(bool open) final;
    bool PortOpen() const final { return !device_.empty(); }

    void SetInputLen(int length) final;

protected:
    // Opens the device of the port (SerialError when it cannot) and returns
    // its name, which the error texts of later calls name.
    virtual std::string OpenDevice(std::int16_t port) = 0;
    // Closes the open device; cannot fail.
    virtual void CloseDevice() = 0;

    // Backends call this from their destructors: a control that goes away
    // gives its device up.
    void Close();
    // SerialError unless the port is open.
    void RequireOpen() const;
    int InputLen() const { return inputLen_; }
    const std::string& Device() const { return device_; }

private:
    std::int16_t port_ = StoredSettings.CommPort;
    int inputLen_ = 0;
    std::string device_;  // the open device; empty while the port is closed
};

}  // namespace meter
