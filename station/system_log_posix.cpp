// The systemd journal without libsystemd: one datagram of its native protocol
// on the socket journald listens on. The send never waits (MSG_DONTWAIT): a
// journald that is busy or gone costs the job nothing but the entry.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "station/system_log.hpp"

namespace station {

namespace {

constexpr const char* JournalSocket = "/run/systemd/journal/socket";

}  // namespace

bool SendSystemLog(const SystemLogEntry& entry) noexcept {
    try {
        const std::string datagram = JournalDatagram(entry);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, JournalSocket, sizeof address.sun_path - 1);
        const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (socket < 0) return false;
        const ssize_t sent = ::sendto(socket, datagram.data(), datagram.size(),
                                      MSG_DONTWAIT | MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(socket);
        return sent == static_cast<ssize_t>(datagram.size());
    } catch (...) {
        return false;
    }
}

std::optional<std::string> SystemLogMissing() {
    std::error_code error;
    if (std::filesystem::is_socket(JournalSocket, error)) return std::nullopt;
    return "no systemd journal on this station";
}

}  // namespace station
