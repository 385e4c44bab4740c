// Test helpers for the real serial control: a port namespace in a temporary
// directory and a meter on the far end of a pseudo terminal.
#pragma once

#include <termios.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tools/common/pseudo_terminal_posix.hpp"

namespace meter_test {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv();

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// A temporary directory that XDG_CONFIG_HOME points at while the object lives.
class PortNamespace {
public:
    PortNamespace();
    PortNamespace(const PortNamespace&) = delete;
    PortNamespace& operator=(const PortNamespace&) = delete;
    ~PortNamespace();

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Dir() const { return root_ / "config" / "quillet" / "ports"; }
    // The station-wide entries of the first and second XDG_CONFIG_DIRS entry.
    std::filesystem::path StationDir(int which) const {
        return root_ / (which == 1 ? "station-a" : "station-b") / "quillet" / "ports";
    }
    // Makes Dir()/COM<port> a symbolic link to the target.
    void Map(int port, const std::filesystem::path& target) const;

private:
    std::filesystem::path root_;
    std::optional<ScopedEnv> config_;
    std::optional<ScopedEnv> stations_;
};

// The meter's end of a pseudo terminal, in raw mode; Path() is the device
// that the serial control opens.
class PtyPeer {
public:
    const std::string& Path() const { return terminal_.Path(); }

    void Send(std::string_view bytes) const;
    // Sends what the terminal takes at once.
    void SendSome(std::string_view bytes) const;
    // The bytes up to and including the next CR, or what has come when the
    // time runs out.
    std::string NextCommand(double timeoutSeconds);
    // The next `count` bytes, or what has come when the time runs out.
    std::string Receive(std::size_t count, double timeoutSeconds);
    // Everything received and not yet taken.
    std::string Drain();
    // Returns once the serial control has read everything that was sent.
    void WaitUntilRead() const;
    // Puts the terminal back into the cooked mode of a fresh login terminal,
    // which echoes, edits lines and turns CR into LF.
    void Cook() const;
    // The line's settings as the terminal has them now.
    termios Line() const;
    // Closes the meter's end: the serial control's end hangs up.
    void HangUp() { terminal_.HangUp(); }

private:
    // Reads what arrives within the given time into pending_.
    void ReadFor(int milliseconds);

    tools::PseudoTerminal terminal_;
    std::string pending_;
};

}  // namespace meter_test
