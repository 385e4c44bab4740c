// The programs at a command prompt on POSIX systems: the XDG places in
// --help, the dash help options, and no console to attach to.
#include <string_view>

#include "station/command_line.hpp"

namespace station {

const char* const UtilityInvocation = "quillet-reading-utility";

const char* const PortsHelp =
    R"(Port COM<N> opens the station's <dir>/quillet/ports/COM<N> for /etc/xdg and
each directory of $XDG_CONFIG_DIRS, else the user's
$XDG_CONFIG_HOME/quillet/ports/COM<N> (default ~/.config/quillet/ports), else
/dev/ttyS<N-1>.
)";

const char* const SettingsHelp =
    R"(The settings files, the station's first (for each key the first file that
sets it wins): /etc/xdg/quillet/settings and <dir>/quillet/settings for each
directory of $XDG_CONFIG_DIRS, then the user's $XDG_CONFIG_HOME/quillet/settings
(default ~/.config/quillet/settings).
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
