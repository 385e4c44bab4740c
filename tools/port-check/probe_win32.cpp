// The port probe on Windows: the device name of the number and whether it can
// be opened now.
#include <windows.h>

#include <string>

#include "meter/serial_control.hpp"
#include "station/system_message_win32.hpp"
#include "tools/port-check/probe.hpp"

namespace port_check {

Probe ProbePort(int port) {
    Probe probe;
    const std::string path = meter::PortPath(port);
    probe.lines.push_back({"Port", "COM" + std::to_string(port) + " -> " + path});

    // Serial ports cannot be shared: an open that succeeds shows the port is
    // present and free, and is closed again at once.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        probe.lines.push_back({"Device", "present"});
        probe.lines.push_back({"In use", "no other program holds it"});
        return probe;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        probe.lines.push_back({"Device", "no such port on this computer (see Device Manager, "
                                         "Ports (COM & LPT))"});
    } else if (error == ERROR_ACCESS_DENIED) {
        probe.lines.push_back({"Device", "present"});
        probe.lines.push_back({"In use", "another program holds it, or access is denied: " +
                                             station::SystemMessage(error)});
    } else {
        probe.lines.push_back({"Device", station::SystemMessage(error)});
    }
    return probe;
}

}  // namespace port_check
