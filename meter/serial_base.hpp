// What every serial control backend shares: the stored settings it applies,
// the selected port number, the read length and its cap, the open/close
// switch, the "must be open" check, the read loop, the waiting count's cap and
// the form of its error texts. A backend adds only what its platform does:
// open and close a device, and count, read and write its bytes.
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
    SerialControlBase() = default;
    SerialControlBase(const SerialControlBase&) = delete;
    SerialControlBase& operator=(const SerialControlBase&) = delete;
    ~SerialControlBase() override = default;

    void SetCommPort(std::int16_t port) final;
    std::int16_t CommPort() const final { return port_; }

    void SetPortOpen(bool open) final;
    bool PortOpen() const final { return !device_.empty(); }
    std::string Device() const final { return device_; }

    void SetInputLen(int length) final;

    // The device's waiting count, within MaxInputPerRead on every platform.
    int InBufferCount() final;
    // Reads in pieces until the read length is met or nothing more waits.
    std::string Input() final;

protected:
    // Opens the device of the port (SerialError when it cannot) and returns
    // its name, which the error texts of later calls name.
    virtual std::string OpenDevice(std::int16_t port) = 0;
    // Applies the stored settings to the device just opened; on SerialError
    // the open fails and the device is closed again.
    virtual void ConfigureDevice() = 0;
    // Closes the open device; cannot fail.
    virtual void CloseDevice() = 0;
    // How many received bytes the open device holds (SerialError on failure).
    virtual std::size_t WaitingBytes() = 0;
    // Reads at most `size` bytes of what waits into `buffer` without waiting
    // for more; 0 when nothing waits. SerialError on a failure or a hang-up.
    virtual std::size_t ReadSome(char* buffer, std::size_t size) = 0;
    // Whether Input asks for the waiting count before it reads: on a platform
    // where only the count shows a vanished peer.
    virtual bool CountsBeforeRead() const { return false; }

    // Backends call this from their destructors: a control that goes away
    // gives its device up.
    void Close();
    // SerialError unless the port is open.
    void RequireOpen() const;
    // The error of an Output whose bytes the device did not take in time.
    SerialError OutputTimedOut() const;

private:
    // How many bytes one Input takes at most: the read length, or all that
    // waits when it is 0, within MaxInputPerRead.
    std::size_t ReadLimit() const;

    std::int16_t port_ = StoredSettings.CommPort;
    int inputLen_ = 0;
    std::string device_;  // the open device; empty while the port is closed
};

}  // namespace meter
