// The port probe on Windows: the device name of the number and whether it can
// be opened now.
#include <windows.h>

#include <string>

#include "meter/serial_control.hpp"
#include "tools/port-check/probe.hpp"

namespace port_check {

namespace {

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

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
    probe.openable = false;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        probe.lines.push_back({"Device", "no such port on this computer (see Device Manager, "
                                         "Ports (COM & LPT))"});
    } else if (error == ERROR_ACCESS_DENIED) {
        probe.lines.push_back({"Device", "present"});
        probe.lines.push_back({"In use", "another program holds it, or access is denied (" +
                                             SystemMessage(error) + ")"});
    } else {
        probe.lines.push_back({"Device", SystemMessage(error)});
    }
    return probe;
}

}  // namespace port_check
