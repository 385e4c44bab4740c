// The pseudo terminal meter-sim talks over, set up in raw mode, and its
// published DIR/COM<N> link.
#include "tools/meter-sim/pseudo_terminal.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "tools/meter-sim/options.hpp"

namespace meter_sim {

namespace fs = std::filesystem;

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) throw Failure(SystemError("posix_openpt"));
    char name[256];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        throw Failure(SystemError("pseudo terminal setup"));
    }
    path_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) throw Failure(SystemError("open " + path_));
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0) throw Failure(SystemError("tcgetattr " + path_));
    cfmakeraw(&tio);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0) throw Failure(SystemError("raw mode " + path_));
    if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(master_, F_SETFL, O_NONBLOCK) != 0) {
        throw Failure(SystemError("fcntl"));
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (slave_ >= 0) close(slave_);
    close(master_);
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
    throw Failure(SystemError("write to " + path_));
}

PublishedPort::PublishedPort(const std::string& dir, long port, const std::string& target)
    : link_(fs::path(dir) / ("COM" + std::to_string(port))), target_(target) {
    fs::create_directories(link_.parent_path());
    // Any entry already there, even a link that points nowhere, may be a
    // station's map of a real port (an adapter unplugged for now): it stays.
    std::error_code error;
    fs::create_symlink(target_, link_, error);
    if (error == std::errc::file_exists) {
        throw Failure(link_.string() +
                      " already exists and is left as it is; choose another --port");
    }
    if (error) throw Failure("cannot make " + link_.string() + ": " + error.message());
}

PublishedPort::~PublishedPort() {
    std::error_code error;
    if (fs::read_symlink(link_, error) == target_) fs::remove(link_, error);
}

}  // namespace meter_sim
