// Where a station keeps the program's configuration: the port map (POSIX) and
// the settings file. The station's directories come first and win over the
// user's own, so that no account can move, switch off or redirect what the
// station sets.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace station {

struct ConfigDirectory {
    std::filesystem::path path;
    bool user = false;  // the user's own, not the station's
};

// Most important first. POSIX: /etc/xdg/quillet, always, then <dir>/quillet
// for each other absolute directory of $XDG_CONFIG_DIRS, then the user's
// $XDG_CONFIG_HOME/quillet (~/.config/quillet when unset or not absolute).
// Windows: the ProgramData known folder's Quillet, whatever the environment
// says, then %APPDATA%\Quillet. A directory that cannot be found is left out.
std::vector<ConfigDirectory> ConfigDirectories();

// The settings file's name in each of them: "settings" on POSIX,
// "settings.ini" on Windows.
extern const char* const SettingsFileName;

// Whether a path in the settings may name environment variables as %NAME%
// (Windows, as its own paths do), and a variable's value as UTF-8 (nothing
// when it is not set).
extern const bool SettingsExpandVariables;
std::optional<std::string> EnvironmentText(const std::string& name);

}  // namespace station
