// A configuration folder of its own for one job (--port-dir), removed again
// when the object goes: its port map sends every port the utility may open
// into the port folder (COM<n> a link to PORTS/COM<n>, which need not exist),
// so that no station's port is ever reached, and it holds no settings file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace host_sim {

class PrivateConfig {
public:
    // Throws std::filesystem::filesystem_error when the folder cannot be made.
    explicit PrivateConfig(const std::filesystem::path& portDir);
    PrivateConfig(const PrivateConfig&) = delete;
    PrivateConfig& operator=(const PrivateConfig&) = delete;
    ~PrivateConfig() { Remove(); }

    // The environment in which the utility reads this folder only: neither
    // the user's configuration nor the station's.
    std::vector<std::string> Environment() const;
    // The folder itself.
    const std::filesystem::path& Root() const { return root_; }

private:
    void Remove() const;

    std::filesystem::path root_;
};

// Waits up to 10 s for an entry in dir; false when none came.
bool WaitForEntry(const std::filesystem::path& dir);

}  // namespace host_sim
