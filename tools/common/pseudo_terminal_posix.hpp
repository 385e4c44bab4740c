// A pseudo terminal in raw mode, the far end of a serial line for meter-sim
// and for the serial control's tests: the master, which plays the meter, and
// the device path that a serial control opens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tools {

// The master and a slave descriptor kept open for the object's life. Without
// that slave descriptor every close by the program under test would hang the
// master up (reads fail, poll reports a hang-up without end), and bytes sent
// before its first open would meet a terminal in its default cooked mode,
// which echoes them and turns CR into LF. Both descriptors are closed on exec;
// the master does not block. Failures throw std::runtime_error naming the
// call and the system's reason.
class PseudoTerminal {
public:
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    int Master() const { return master_; }
    int Slave() const { return slave_; }
    const std::string& Path() const { return path_; }

    // Whether no program holds the port: the utility keeps the device locked
    // for as long as its port is open.
    bool Released() const;

    // Sends what the terminal takes now; returns how many bytes that was.
    std::size_t Send(std::string_view bytes) const;

    // Closes the master: the other end hangs up.
    void HangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace tools
