// The serial control on Windows: placeholder until the Win32 backend lands.
#include "meter/serial_control.hpp"

namespace meter {

std::unique_ptr<SerialControl> MakeSerialControl() {
    throw SerialError("the Win32 serial backend is not built yet");
}

std::string PortPath(int port) {
    return "\\\\.\\COM" + std::to_string(port);
}

}  // namespace meter
