#include "pty_peer.hpp"

#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

namespace meter_test {

namespace {

using Clock = std::chrono::steady_clock;

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (saved_) {
        setenv(name_, saved_->c_str(), 1);
    } else {
        unsetenv(name_);
    }
}

PortNamespace::PortNamespace() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillet-meter-XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    root_ = pattern;
    config_.emplace("XDG_CONFIG_HOME", (root_ / "config").string());
    // Station entries come from here only, never from the machine's /etc/xdg.
    stations_.emplace("XDG_CONFIG_DIRS", (root_ / "station-a").string() + ":" +
                                             (root_ / "station-b").string());
}

PortNamespace::~PortNamespace() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void PortNamespace::Map(int port, const std::filesystem::path& target) const {
    std::filesystem::create_directories(Dir());
    std::filesystem::create_symlink(target, Dir() / ("COM" + std::to_string(port)));
}

void PtyPeer::Send(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t sent = write(terminal_.Master(), bytes.data(), bytes.size());
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else {
            Check(errno == EAGAIN, "write");
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void PtyPeer::SendSome(std::string_view bytes) const {
    Check(write(terminal_.Master(), bytes.data(), bytes.size()) >= 0 || errno == EAGAIN, "write");
}

void PtyPeer::ReadFor(int milliseconds) {
    pollfd ready{terminal_.Master(), POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) return;
    char buffer[4096];
    for (ssize_t got; (got = read(terminal_.Master(), buffer, sizeof buffer)) > 0;)
        pending_.append(buffer, got);
}

std::string PtyPeer::NextCommand(double timeoutSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    std::size_t end;
    while ((end = pending_.find('\r')) == std::string::npos && Clock::now() < deadline) ReadFor(5);
    const std::size_t length = end == std::string::npos ? pending_.size() : end + 1;
    std::string command = pending_.substr(0, length);
    pending_.erase(0, length);
    return command;
}

std::string PtyPeer::Receive(std::size_t count, double timeoutSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (pending_.size() < count && Clock::now() < deadline) ReadFor(5);
    std::string bytes = pending_.substr(0, count);
    pending_.erase(0, bytes.size());
    return bytes;
}

std::string PtyPeer::Drain() {
    ReadFor(50);
    return std::exchange(pending_, {});
}

void PtyPeer::WaitUntilRead() const {
    // Sent bytes take a moment to become countable on the far end.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (int waiting = 1; waiting > 0 && Clock::now() < deadline;) {
        Check(ioctl(terminal_.Slave(), FIONREAD, &waiting) == 0, "FIONREAD");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void PtyPeer::Cook() const {
    termios tio{};
    Check(tcgetattr(terminal_.Slave(), &tio) == 0, "tcgetattr");
    tio.c_iflag |= ICRNL | IXON | ISTRIP;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB;
    Check(tcsetattr(terminal_.Slave(), TCSANOW, &tio) == 0, "tcsetattr");
}

termios PtyPeer::Line() const {
    termios tio{};
    Check(tcgetattr(terminal_.Slave(), &tio) == 0, "tcgetattr");
    return tio;
}

}  // namespace meter_test
