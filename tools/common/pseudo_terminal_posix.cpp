#include "tools/common/pseudo_terminal_posix.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tools {
namespace {

std::runtime_error SystemFailure(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) throw SystemFailure("posix_openpt");
    try {
        char name[256];
        if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
            ptsname_r(master_, name, sizeof name) != 0) {
            throw SystemFailure("pseudo terminal setup");
        }
        path_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) throw SystemFailure("open " + path_);
        // Raw before anything is sent.
        termios tio{};
        if (tcgetattr(slave_, &tio) != 0) throw SystemFailure("tcgetattr " + path_);
        cfmakeraw(&tio);
        if (tcsetattr(slave_, TCSANOW, &tio) != 0) throw SystemFailure("raw mode " + path_);
        if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(master_, F_SETFL, O_NONBLOCK) != 0) {
            throw SystemFailure("fcntl");
        }
    } catch (...) {
        if (slave_ >= 0) close(slave_);
        close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    close(slave_);
    HangUp();
}

bool PseudoTerminal::Released() const {
    if (flock(slave_, LOCK_EX | LOCK_NB) != 0) return false;
    flock(slave_, LOCK_UN);
    return true;
}

std::size_t PseudoTerminal::Send(std::string_view bytes) const {
    const ssize_t sent = write(master_, bytes.data(), bytes.size());
    if (sent >= 0) return static_cast<std::size_t>(sent);
    if (errno == EAGAIN || errno == EINTR) return 0;
    throw SystemFailure("write to " + path_);
}

void PseudoTerminal::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

}  // namespace tools
