#include "tools/meter-sim/published_port.hpp"

#include <system_error>

#include "tools/meter-sim/options.hpp"

namespace meter_sim {

namespace fs = std::filesystem;

PublishedPort::PublishedPort(const std::string& dir, long port, const std::string& target)
    : link_(fs::path(dir) / ("COM" + std::to_string(port))), target_(target) {
    fs::create_directories(link_.parent_path());
    // Any entry already there, even a link that points nowhere, may be a
    // station's map of a real port (an adapter unplugged for now): it stays.
    std::error_code error;
    fs::create_symlink(target_, link_, error);
    if (error == std::errc::file_exists) {
        throw Failure(link_.string() +
                      " already exists and is left as it is; choose another --port");
    }
    if (error) throw Failure("cannot make " + link_.string() + ": " + error.message());
}

PublishedPort::~PublishedPort() {
    std::error_code error;
    if (fs::read_symlink(link_, error) == target_) fs::remove(link_, error);
}

}  // namespace meter_sim
