#include "meter/port_map_posix.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "meter/serial_control.hpp"

namespace meter {

namespace {

// The user's own COM<n> entries; empty when there is no home to put them in.
std::filesystem::path UserPortDirectory() {
    // XDG base directories must be absolute; anything else counts as unset.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::filesystem::path(config) / "quillet" / "ports";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') {
        return std::filesystem::path(home) / ".config" / "quillet" / "ports";
    }
    return {};
}

// The station-wide COM<n> entries, most important first: one directory for
// each absolute entry of XDG_CONFIG_DIRS (default /etc/xdg).
std::vector<std::filesystem::path> StationPortDirectories() {
    const char* list = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = (list && list[0] != '\0') ? list : "/etc/xdg";
    std::vector<std::filesystem::path> found;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') {
            found.push_back(std::filesystem::path(dir) / "quillet" / "ports");
        }
        start = end + 1;
    }
    return found;
}

// True when directory/name exists as an entry; a dangling link counts, so
// that an unplugged adapter fails to open instead of falling back to another
// port.
bool HasEntry(const std::filesystem::path& directory, const std::string& name) {
    if (directory.empty()) return false;
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(directory / name, error));
}

}  // namespace

ResolvedPort ResolvePort(int port) {
    const std::string name = "COM" + std::to_string(port);
    const std::filesystem::path user = UserPortDirectory();
    if (HasEntry(user, name)) return {(user / name).string(), PortSource::UserMap};
    for (const auto& station : StationPortDirectories()) {
        if (HasEntry(station, name)) return {(station / name).string(), PortSource::StationMap};
    }
    return {"/dev/ttyS" + std::to_string(port - 1), PortSource::Default};
}

std::string PortPath(int port) {
    return ResolvePort(port).path;
}

}  // namespace meter
