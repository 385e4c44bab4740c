// What every serial control backend shares: the stored settings it applies,
// the selected port number, the read length and its cap, the open/close
// switch, the "must be open" check and the form of its error texts. A backend
// adds only what its platform does: open and close a device, and count, read
// and write its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "meter/serial_control.hpp"

namespace meter {

static_assert(StoredSettings.BaudRate == 9600 && StoredSettings.DataBits == 8 &&
                  StoredSettings.Parity == 'N' && StoredSettings.StopBits == 1 &&
                  !StoredSettings.FlowControl && StoredSettings.DtrEnable &&
                  StoredSettings.RtsEnable,
              "the backends apply 9600 8N1, no flow control, DTR and RTS asserted");

// One Input takes at most this much: more than a driver holds, yet a bound,
// so that a peer writing as fast as it is read cannot hold a read.
inline constexpr std::size_t MaxInputPerRead = std::size_t{64} * 1024;

// How long one Output may wait in all for the driver to take its bytes; at
// 9600 baud a full send buffer leaves in about half a second.
inline constexpr int OutputWaitMs = 1000;

// The system's own words for an error code (errno on POSIX systems,
// GetLastError() on Windows); each backend defines it.
std::string SystemReason(unsigned long code);

// "<device>: <operation>: <the system's words>", the form of every error.
std::string ErrorText(const std::string& device, const char* operation, unsigned long code);

class SerialControlBase : public SerialControl {
public:
    void SetCommPort(std::int16_t port) final;
    std::int16_t CommPort() const final { return port_; }

    void SetPortOpen(bool open) final;
    bool PortOpen() const final { return !device_.empty(); }
    std::string Device() const final { return device_; }

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
    // How many bytes one Input takes at most: the read length, or all that
    // waits when it is 0, within MaxInputPerRead.
    std::size_t ReadLimit() const;
    // The error of an Output whose bytes the device did not take in time.
    SerialError OutputTimedOut() const;
    int InputLen() const { return inputLen_; }

private:
    std::int16_t port_ = StoredSettings.CommPort;
    int inputLen_ = 0;
    std::string device_;  // the open device; empty while the port is closed
};

}  // namespace meter
