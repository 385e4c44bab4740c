// The pseudo terminal meter-sim talks over, and the DIR/COM<N> link that
// publishes it under a port number.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace meter_sim {

// The pseudo terminal: our end (the master) and a slave descriptor kept open
// for the whole run. Without that slave descriptor every close by the program
// under test would hang the master up (reads fail, poll reports a hang-up
// without end), and bytes sent before its first open would meet a terminal in
// its default cooked mode, which echoes them and turns CR into LF.
class PseudoTerminal {
public:
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    int Master() const { return master_; }
    const std::string& Path() const { return path_; }

    // Whether no program holds the port: the utility keeps the device locked
    // for as long as its port is open.
    bool Released() const;

    // Sends what the terminal takes now; returns how many bytes that was.
    std::size_t Send(std::string_view bytes) const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// DIR/COM<n> pointing at the terminal, for as long as this object lives. DIR
// is made when missing; an existing DIR/COM<n>, of any kind, is refused with
// a Failure and left as it is.
class PublishedPort {
public:
    PublishedPort(const std::string& dir, long port, const std::string& target);
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;
    ~PublishedPort();

private:
    std::filesystem::path link_;
    std::filesystem::path target_;
};

}  // namespace meter_sim
