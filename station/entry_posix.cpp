#include <string_view>

#include "station/entry.hpp"

namespace station {

const char* const UtilityInvocation = "quillet-reading-utility";

const char* const PortsHelp =
    R"(Port COM<N> opens $XDG_CONFIG_HOME/quillet/ports/COM<N> (default
~/.config/quillet/ports), else <dir>/quillet/ports/COM<N> for each directory
of $XDG_CONFIG_DIRS (default /etc/xdg), else /dev/ttyS<N-1>.
)";

const char* const SettingsHelp =
    R"(The settings files, the user's first (for each key the first file that sets
it wins): $XDG_CONFIG_HOME/quillet/settings (default
~/.config/quillet/settings), then the station's, <dir>/quillet/settings for
each directory of $XDG_CONFIG_DIRS (default /etc/xdg).
)";

const char* const OutputHelp = "Without a display the status text goes to standard output.\n";

const char* const HelpOptions = "-h, --help";

bool IsHelpOption(std::string_view argument) {
    for (const std::string_view option : {"-h", "-help", "-?", "--help"}) {
        if (argument == option) return true;
    }
    return false;
}

void UseParentConsole() {}

}  // namespace station
