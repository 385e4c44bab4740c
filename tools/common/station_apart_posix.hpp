// Whether a job run in a private configuration stays apart from the station's
// own setup. The utility reads the station's folder (/etc/xdg/quillet)
// whatever its environment says, so that no account can redirect a station;
// the lab tools that run a job apart (host-sim --port-dir, the journal tool's
// replay) refuse to run where that folder would still reach the job.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tools {

// What of the station's setup a job on COM<port>, run with XDG_CONFIG_HOME
// and XDG_CONFIG_DIRS set to `config` (whose port map is `config`/quillet/
// ports), would still reach: a station map entry for its port, a journal, a
// system log. Nothing when the job stays apart. Asked by the utility's own
// rules, under that environment, which this process then keeps.
std::optional<std::string> StationSetupReached(const std::filesystem::path& config, int port);

}  // namespace tools
