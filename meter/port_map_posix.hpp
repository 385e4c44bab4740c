// The POSIX port map: which device the job's COM<n> opens. A station-wide
// entry <dir>/quillet/ports/COM<n> first, for /etc/xdg and each directory of
// $XDG_CONFIG_DIRS, so that no account can point a station's port at a device
// of its own; then the user's entry $XDG_CONFIG_HOME/quillet/ports/COM<n>;
// else /dev/ttyS<n-1>.
#pragma once

#include <string>

namespace meter {

// Where a port number's device came from.
enum class PortSource {
    UserMap,     // the user's own entry: $XDG_CONFIG_HOME/quillet/ports/COM<n>
    StationMap,  // a station-wide entry: <dir of $XDG_CONFIG_DIRS>/quillet/ports/COM<n>
    Default,     // no entry: the usual device for the number
};

struct ResolvedPort {
    std::string path;  // what the open uses
    PortSource source = PortSource::Default;
};

// The device that port number `port` opens, and which entry named it;
// resolved again at every open. PortPath(port) is its path.
ResolvedPort ResolvePort(int port);

}  // namespace meter
