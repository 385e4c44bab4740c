// The DIR/COM<N> link that publishes meter-sim's pseudo terminal
// (tools/common/pseudo_terminal_posix.hpp) under a port number.
#pragma once

#include <filesystem>
#include <string>

namespace meter_sim {

// DIR/COM<n> pointing at the terminal, for as long as this object lives. DIR
// is made when missing; an existing DIR/COM<n>, of any kind, is refused with
// a Failure and left as it is.
class PublishedPort {
public:
    PublishedPort(const std::string& dir, long port, const std::string& target);
    PublishedPort(const PublishedPort&) = delete;
    PublishedPort& operator=(const PublishedPort&) = delete;
    ~PublishedPort();

private:
    std::filesystem::path link_;
    std::filesystem::path target_;
};

}  // namespace meter_sim
