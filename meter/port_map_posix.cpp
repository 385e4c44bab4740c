#include "meter/port_map_posix.hpp"

#include <filesystem>
#include <system_error>

#include "station/config_dirs.hpp"
#include "meter/serial_control.hpp"

namespace meter {

namespace {

// True when directory/name exists as an entry; a dangling link counts, so
// that an unplugged adapter fails to open instead of falling back to another
// port.
bool HasEntry(const std::filesystem::path& directory, const std::string& name) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(directory / name, error));
}

}  // namespace

ResolvedPort ResolvePort(int port) {
    const std::string name = "COM" + std::to_string(port);
    for (const station::ConfigDirectory& dir : station::ConfigDirectories()) {
        if (HasEntry(dir.path / "ports", name)) {
            return {(dir.path / "ports" / name).string(),
                    dir.user ? PortSource::UserMap : PortSource::StationMap};
        }
    }
    return {"/dev/ttyS" + std::to_string(port - 1), PortSource::Default};
}

std::string PortPath(int port) {
    return ResolvePort(port).path;
}

}  // namespace meter
