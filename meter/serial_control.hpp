// The serial control: the operations the meter link needs of a serial port,
// named after the properties through which the program performs them.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace meter {

// Raised by a serial control; the message is the operating system's own.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Settings stored with the control. Only the port number changes at run time.
struct LineSettings {
    int BaudRate = 9600;
    int DataBits = 8;
    char Parity = 'N';
    int StopBits = 1;
    bool FlowControl = false;
    bool DtrEnable = true;  // many meter interface cables draw power from DTR and RTS
    bool RtsEnable = true;
    int InBufferSize = 1024;
    int OutBufferSize = 512;
    char ParityReplace = '?';
    std::int16_t CommPort = 1;
};
inline constexpr LineSettings StoredSettings{};

inline constexpr int MinPort = 1;
inline constexpr int MaxPort = 255;

class SerialControl {
public:
    virtual ~SerialControl() = default;

    // Selects the port the next open uses. Numbers outside MinPort..MaxPort
    // raise SerialError and leave the selection as it was.
    virtual void SetCommPort(std::int16_t port) = 0;
    virtual std::int16_t CommPort() const = 0;

    // true opens the selected port with the stored settings (SerialError on
    // failure); false closes it.
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;
    // The device the open port uses, as the open named it; empty while closed
    // (and for a control that has no device of its own).
    virtual std::string Device() const { return {}; }

    // Queues the characters of the text for sending, one byte each.
    virtual void Output(std::string_view text) = 0;

    // How many bytes one Input returns at most; 0 (the initial value) means
    // everything waiting.
    virtual void SetInputLen(int length) = 0;

    // Number of received bytes not yet read; 0 when none.
    virtual int InBufferCount() = 0;

    // Returns waiting bytes (up to InputLen, all when 0) and removes them from
    // the receive buffer; empty when none are waiting.
    virtual std::string Input() = 0;
};

// The serial control of this platform, with the stored settings.
std::unique_ptr<SerialControl> MakeSerialControl();

// The device that port number `port` opens on this platform, looked up again
// at every open.
std::string PortPath(int port);

}  // namespace meter
