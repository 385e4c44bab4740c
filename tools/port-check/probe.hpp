// What the operating system says about a port before the meter is queried:
// where the number leads, whether the device exists, whether this user may
// open it and whether another program holds it.
#pragma once

#include <string>
#include <vector>

namespace port_check {

struct ProbeLine {
    std::string label;  // "Port", "Device", "Access", "In use"
    std::string text;
};

struct Probe {
    std::vector<ProbeLine> lines;
};

// Examines port number `port` without sending anything to it.
Probe ProbePort(int port);

}  // namespace port_check
