// The port probe on a POSIX system: the mapping entry, the device node, its
// permissions and the programs that hold it.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "meter/port_map_posix.hpp"
#include "station/facts.hpp"
#include "tools/port-check/probe.hpp"

namespace port_check {

namespace {

namespace fs = std::filesystem;

std::string SourceText(meter::PortSource source) {
    switch (source) {
        case meter::PortSource::UserMap:
            return "your own port map";
        case meter::PortSource::StationMap:
            return "the station port map";
        case meter::PortSource::Default:
            break;
    }
    return "no map entry, the usual device for the number";
}

// Why this user may not read and write a device of the given group.
std::string PermissionAdvice(const struct stat& info) {
    const group* owner = getgrgid(info.st_gid);
    const std::string name = owner ? owner->gr_name : std::to_string(info.st_gid);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    const int count = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    if (getegid() == info.st_gid ||
        std::find(groups.begin(), groups.end(), info.st_gid) != groups.end()) {
        return "permission denied although you are in group '" + name +
               "': the device's permissions leave the group out";
    }
    const std::string user = station::UserName();
    bool listed = false;
    for (char** member = owner ? owner->gr_mem : nullptr; member && *member; ++member) {
        listed = listed || user == *member;
    }
    if (listed) {
        return "you were added to group '" + name +
               "' after this login began: log out and in again";
    }
    return "you are not in group '" + name + "', which may use it: sudo adduser " + user + " " +
           name + ", then log out and in again";
}

// Other processes with the device open, as "pid (name)"; only those this user
// may look at. The holder of the lock is among them, beside any program that
// merely has the device open.
std::vector<std::string> Holders(const struct stat& device) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        const std::string pid = process.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (pid == std::to_string(getpid())) continue;
        std::error_code listError;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", listError)) {
            struct stat info {};
            if (stat(fd.path().c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) continue;
            if (info.st_rdev != device.st_rdev) continue;
            std::string name;
            std::getline(std::ifstream(process.path() / "comm"), name);
            found.push_back(pid + " (" + name + ")");
            break;
        }
    }
    return found;
}

// Whether another program holds the device: it keeps it exclusive, or it has
// the lock that the meter link takes.
std::string HeldBy(const std::string& path, const struct stat& info) {
    bool held = false;
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        held = errno == EBUSY;
        if (!held) return std::string("cannot tell: open: ") + std::strerror(errno);
    } else {
        held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        close(fd);
    }
    if (!held) return "no other program holds it";
    std::string text = "another program holds it";
    const std::vector<std::string> holders = Holders(info);
    for (std::size_t i = 0; i < holders.size(); ++i) {
        text += (i == 0 ? " (open in " : ", ") + holders[i];
    }
    return holders.empty() ? text : text + ")";
}

}  // namespace

Probe ProbePort(int port) {
    Probe probe;
    const meter::ResolvedPort resolved = meter::ResolvePort(port);
    const std::string name = "COM" + std::to_string(port);
    probe.lines.push_back({"Port", name + " -> " + resolved.path + " (" +
                                       SourceText(resolved.source) + ")"});

    std::error_code error;
    const bool isLink = fs::is_symlink(fs::symlink_status(resolved.path, error));
    if (isLink) {
        probe.lines.push_back({"", "links to " + fs::read_symlink(resolved.path, error).string()});
    }

    struct stat info {};
    if (stat(resolved.path.c_str(), &info) != 0) {
        const int cause = errno;
        std::string text = std::string("missing: ") + std::strerror(cause);
        if (isLink) {
            text = "the map entry points nowhere (adapter unplugged, or a stale entry): " +
                   std::string(std::strerror(cause));
        } else if (resolved.source == meter::PortSource::Default) {
            text += "; map " + name + " in ~/.config/quillet/ports or /etc/xdg/quillet/ports";
        }
        probe.lines.push_back({"Device", text});
        return probe;
    }
    const std::string device = fs::canonical(resolved.path, error).string();
    if (!S_ISCHR(info.st_mode)) {
        probe.lines.push_back({"Device", device + " is not a terminal device"});
    } else {
        probe.lines.push_back({"Device", device + " exists"});
    }

    if (access(resolved.path.c_str(), R_OK | W_OK) != 0) {
        probe.lines.push_back({"Access", errno == EACCES ? PermissionAdvice(info)
                                                         : std::strerror(errno)});
        return probe;
    }
    probe.lines.push_back({"Access", "you may read and write it"});

    probe.lines.push_back({"In use", HeldBy(resolved.path, info)});
    return probe;
}

}  // namespace port_check
