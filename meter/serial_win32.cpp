// The serial control on Windows, through the Win32 communications API.
#include <windows.h>

#include <algorithm>
#include <string>

#include "meter/clock.hpp"
#include "meter/serial_base.hpp"
#include "station/system_message_win32.hpp"

namespace meter {

namespace {

// Every field of the device control block is set here: the driver's current
// state (baud rate, XON/XOFF left over from an earlier user) is never inherited.
DCB StoredLineState() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(StoredSettings.BaudRate);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    // Bytes with a parity error become ErrorChar ('?'). With parity checking
    // off there are none; the stored setting is applied all the same.
    dcb.fErrorChar = TRUE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.ByteSize = static_cast<BYTE>(StoredSettings.DataBits);
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = StoredSettings.ParityReplace;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    return dcb;
}

// Applies the stored settings to an open port.
void Configure(HANDLE handle, const std::string& path) {
    // Buffer sizes are a request the driver may round or ignore.
    if (!SetupComm(handle, static_cast<DWORD>(StoredSettings.InBufferSize),
                   static_cast<DWORD>(StoredSettings.OutBufferSize))) {
        throw SerialError(ErrorText(path, "set buffer sizes", GetLastError()));
    }
    DCB dcb = StoredLineState();
    if (!SetCommState(handle, &dcb)) {
        throw SerialError(ErrorText(path, "set line settings", GetLastError()));
    }
    // A read returns at once with whatever is waiting, possibly nothing; a
    // write gives up after OutputWaitMs in all.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(OutputWaitMs);
    if (!SetCommTimeouts(handle, &timeouts)) {
        throw SerialError(ErrorText(path, "set time-outs", GetLastError()));
    }
    // The driver keeps what arrived before the open; none of it belongs to us.
    if (!PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT)) {
        throw SerialError(ErrorText(path, "discard waiting bytes", GetLastError()));
    }
    // DTR and RTS are raised through the control block above. Raising them
    // again directly is a confirmation some drivers lack ("not supported",
    // error 50, e.g. on a pseudo terminal); only other failures count.
    for (const DWORD function : {SETDTR, SETRTS}) {
        if (!EscapeCommFunction(handle, function)) {
            const DWORD error = GetLastError();
            if (error != ERROR_NOT_SUPPORTED) {
                throw SerialError(ErrorText(path, "assert DTR and RTS", error));
            }
        }
    }
}

class Win32SerialControl final : public SerialControlBase {
public:
    ~Win32SerialControl() override { Close(); }
    void Output(std::string_view text) override;

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;  // the open port's; invalid while closed

    // The waiting count fails on a port whose peer has gone, where a read
    // would quietly return nothing.
    bool CountsBeforeRead() const override { return true; }
    std::string OpenDevice(std::int16_t port) override;
    void ConfigureDevice() override { Configure(handle_, Device()); }
    void CloseDevice() override;
    std::size_t WaitingBytes() override;
    std::size_t ReadSome(char* buffer, std::size_t size) override;
};

void Win32SerialControl::CloseDevice() {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

std::string Win32SerialControl::OpenDevice(std::int16_t port) {
    std::string path = PortPath(port);
    // No sharing: a port held by another program is refused ("access denied").
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw SerialError(ErrorText(path, "open", GetLastError()));
    handle_ = handle;
    return path;
}

std::size_t Win32SerialControl::WaitingBytes() {
    DWORD errors = 0;
    COMSTAT status{};
    // Also the way a vanished peer shows: the driver then fails the call.
    if (!ClearCommError(handle_, &errors, &status)) {
        throw SerialError(ErrorText(Device(), "count waiting bytes", GetLastError()));
    }
    return status.cbInQue;
}

void Win32SerialControl::Output(std::string_view text) {
    RequireOpen();
    // The write time-out bounds each call; the deadline bounds them together.
    const double deadline = SteadyClock().Now() + OutputWaitMs / 1000.0;
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(text.size(), MAXDWORD));
        if (!WriteFile(handle_, text.data(), size, &written, nullptr)) {
            throw SerialError(ErrorText(Device(), "write", GetLastError()));
        }
        text.remove_prefix(written);
        if (!text.empty() && SteadyClock().Now() >= deadline) {
            throw OutputTimedOut();
        }
    }
}

// The read time-outs make a read return at once with what is there.
std::size_t Win32SerialControl::ReadSome(char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr)) {
        throw SerialError(ErrorText(Device(), "read", GetLastError()));
    }
    return got;
}

}  // namespace

std::string SystemReason(unsigned long code) {
    return station::SystemMessage(code);
}

std::unique_ptr<SerialControl> MakeSerialControl() {
    return std::make_unique<Win32SerialControl>();
}

// The device namespace form reaches every port, COM10 to COM255 included.
std::string PortPath(int port) {
    return "\\\\.\\COM" + std::to_string(port);
}

}  // namespace meter
