#include "tools/host-sim/private_config.hpp"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "meter/serial_control.hpp"

namespace fs = std::filesystem;

namespace host_sim {

PrivateConfig::PrivateConfig(const fs::path& portDir) {
    std::string name = (fs::temp_directory_path() / "quillet-host-sim.XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) {
        throw fs::filesystem_error("mkdtemp", name, std::error_code(errno, std::generic_category()));
    }
    root_ = name;
    try {
        const fs::path ports = root_ / "quillet" / "ports";
        fs::create_directories(ports);
        for (int port = meter::MinPort; port <= meter::MaxPort; ++port) {
            const std::string entry = "COM" + std::to_string(port);
            fs::create_symlink(fs::absolute(portDir) / entry, ports / entry);
        }
    } catch (...) {
        Remove();
        throw;
    }
}

std::vector<std::string> PrivateConfig::Environment() const {
    return {"XDG_CONFIG_HOME=" + root_.string(), "XDG_CONFIG_DIRS=" + root_.string()};
}

void PrivateConfig::Remove() const {
    std::error_code error;
    fs::remove_all(root_, error);
}

bool WaitForEntry(const fs::path& dir) {
    for (int i = 0; i < 200; ++i) {
        std::error_code error;
        if (fs::directory_iterator(dir, error) != fs::directory_iterator()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace host_sim
