// Where a station keeps the program's configuration: the port map (POSIX) and
// the settings file. The user's own directory comes first and wins over the
// station's.
#pragma once

#include <filesystem>
#include <vector>

namespace station {

struct ConfigDirectory {
    std::filesystem::path path;
    bool user = false;  // the user's own, not the station's
};

// Most important first. POSIX: $XDG_CONFIG_HOME/quillet (~/.config/quillet
// when unset or not absolute), then <dir>/quillet for each absolute directory
// of $XDG_CONFIG_DIRS (default /etc/xdg). Windows: %APPDATA%\Quillet, then
// %ProgramData%\Quillet. A directory whose variable is missing is left out.
std::vector<ConfigDirectory> ConfigDirectories();

// The settings file's name in each of them: "settings" on POSIX,
// "settings.ini" on Windows.
extern const char* const SettingsFileName;

}  // namespace station
