#include <cstdlib>
#include <string>

#include "station/config_dirs.hpp"

namespace station {

const char* const SettingsFileName = "settings";

std::vector<ConfigDirectory> ConfigDirectories() {
    std::vector<ConfigDirectory> found;
    // XDG base directories must be absolute; anything else counts as unset.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') {
        found.push_back({std::filesystem::path(config) / "quillet", true});
    } else if (home && home[0] != '\0') {
        found.push_back({std::filesystem::path(home) / ".config" / "quillet", true});
    }
    const char* list = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = (list && list[0] != '\0') ? list : "/etc/xdg";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') found.push_back({std::filesystem::path(dir) / "quillet"});
        start = end + 1;
    }
    return found;
}

}  // namespace station
