#include "tools/common/station_apart_posix.hpp"

#include <cstdlib>

#include "meter/port_map_posix.hpp"
#include "station/facts.hpp"
#include "station/settings.hpp"

namespace tools {

std::optional<std::string> StationSetupReached(const std::filesystem::path& config, int port) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", config.c_str(), 1);
    // The private folder stands in for both the user's and the station's
    // list: an entry anywhere else is the station's own.
    const meter::ResolvedPort device = meter::ResolvePort(port);
    if (device.source == meter::PortSource::StationMap &&
        std::filesystem::path(device.path).parent_path() != config / "quillet" / "ports") {
        return "this station's port map sends COM" + std::to_string(port) + " to " + device.path +
               ", which the job would open";
    }
    const station::Settings settings = station::LoadSettings();
    if (settings.journal) {
        return station::PathText(settings.journalSetBy) + " keeps a journal, which the job would join";
    }
    if (settings.systemLog) {
        return station::PathText(settings.systemLogSetBy) +
               " sends every job to the system log, which the job would join";
    }
    return std::nullopt;
}

}  // namespace tools
