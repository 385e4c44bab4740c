// The serial control on a POSIX terminal device, through termios.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "meter/port_map_posix.hpp"
#include "meter/serial_base.hpp"

namespace meter {

namespace {

constexpr const char* InUse = "in use by another program";

// Applies the stored settings: raw bytes at 9600 8N1, no flow control, the
// carrier ignored, DTR and RTS asserted.
void Configure(int fd, const std::string& path) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) throw SerialError(ErrorText(path, "get line settings", errno));
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With O_NONBLOCK, a read then reports "nothing waiting" as EAGAIN and a
    // hang-up as end of file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        throw SerialError(ErrorText(path, "set line settings", errno));
    }

    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &lines) != 0) {
        const int error = errno;
        // A driver without modem lines (a pseudo terminal, some adapters) says
        // so with ENOTTY or EINVAL; a meter that draws no power from DTR and
        // RTS still answers there, so the port is used without them. Any other
        // error is a fault of the device and fails the open.
        if (error != ENOTTY && error != EINVAL) {
            throw SerialError(ErrorText(path, "assert DTR and RTS", error));
        }
    }
}

// Gives up the device: exclusive use ends, and closing drops the lock.
void Release(int fd) {
    ioctl(fd, TIOCNXCL);
    close(fd);
}

class PosixSerialControl final : public SerialControlBase {
public:
    ~PosixSerialControl() override { Close(); }

    void Output(std::string_view text) override;

private:
    std::string OpenDevice(std::int16_t port) override;
    void ConfigureDevice() override;
    void CloseDevice() override {
        Release(fd_);
        fd_ = -1;
    }
    std::size_t WaitingBytes() override {
        int count = 0;
        if (ioctl(fd_, FIONREAD, &count) != 0) {
            throw SerialError(ErrorText(Device(), "count waiting bytes", errno));
        }
        return static_cast<std::size_t>(count);
    }
    std::size_t ReadSome(char* buffer, std::size_t size) override;

    int fd_ = -1;
};

std::string PosixSerialControl::OpenDevice(std::int16_t port) {
    std::string path = PortPath(port);
    // O_NONBLOCK: neither the open nor any read waits for the line.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // EBUSY: another holder has made the terminal exclusive.
        throw SerialError(ErrorText(path, errno == EBUSY ? InUse : "open", errno));
    }
    // The lock refuses a second holder at once, root included; TIOCEXCL then
    // keeps out other programs that do not lock, except root's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        throw SerialError(ErrorText(path, error == EWOULDBLOCK ? InUse : "lock", error));
    }
    fd_ = fd;
    return path;
}

void PosixSerialControl::ConfigureDevice() {
    if (ioctl(fd_, TIOCEXCL) != 0) throw SerialError(ErrorText(Device(), "exclusive use", errno));
    Configure(fd_, Device());
}

void PosixSerialControl::Output(std::string_view text) {
    RequireOpen();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(OutputWaitMs);
    while (!text.empty()) {
        const ssize_t written = write(fd_, text.data(), text.size());
        if (written > 0) {
            text.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            throw SerialError(ErrorText(Device(), "write", errno));
        }
        // The driver's buffer is full: wait a short while for room.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd_, POLLOUT, 0};
        const int events = left.count() > 0 ? poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (events < 0 && errno != EINTR) throw SerialError(ErrorText(Device(), "write", errno));
        if (events == 0) {
            throw OutputTimedOut();
        }
    }
}

// A non-blocking read: EAGAIN is "nothing waiting", end of file a hang-up.
std::size_t PosixSerialControl::ReadSome(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = read(fd_, buffer, size);
        if (got > 0) return static_cast<std::size_t>(got);
        if (got == 0) throw SerialError(Device() + ": read: the device hung up");
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        throw SerialError(ErrorText(Device(), "read", errno));
    }
}

}  // namespace

std::string SystemReason(unsigned long code) {
    return std::strerror(static_cast<int>(code));
}

std::unique_ptr<SerialControl> MakeSerialControl() {
    return std::make_unique<PosixSerialControl>();
}

}  // namespace meter
