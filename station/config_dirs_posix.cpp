// The configuration folders on POSIX systems: the XDG base directories, the
// station's /etc/xdg first, and the settings paths as written.
#include <cstdlib>
#include <string>

#include "station/config_dirs.hpp"

namespace station {

const char* const SettingsFileName = "settings";
const bool SettingsExpandVariables = false;

std::optional<std::string> EnvironmentText(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return value;
}

std::vector<ConfigDirectory> ConfigDirectories() {
    // The station's own folder is read whatever the environment says; the
    // list adds more. XDG base directories must be absolute; anything else
    // counts as unset.
    const std::filesystem::path station = "/etc/xdg/quillet";
    std::vector<ConfigDirectory> found{{station}};
    const char* list = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = list ? list : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        const std::filesystem::path path = std::filesystem::path(dir) / "quillet";
        if (!dir.empty() && dir[0] == '/' && path.lexically_normal() != station) {
            found.push_back({path});
        }
        start = end + 1;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') {
        found.push_back({std::filesystem::path(config) / "quillet", true});
    } else if (home && home[0] != '\0') {
        found.push_back({std::filesystem::path(home) / ".config" / "quillet", true});
    }
    return found;
}

}  // namespace station
