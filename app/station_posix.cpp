// Station facts and the journal's append on POSIX systems.
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "app/station.hpp"

namespace CalMod {

std::string UserName() {
    const passwd* user = getpwuid(geteuid());
    return user ? user->pw_name : std::to_string(geteuid());
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string LocalTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    char offset[8];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(offset, sizeof offset, "%z", &local);  // +0100
    char text[48];
    std::snprintf(text, sizeof text, "%s.%03d%.3s:%.2s", date, static_cast<int>(millis), offset,
                  offset + 3);
    return text;
}

void AppendWhole(const std::filesystem::path& file, std::string_view text) {
    // O_NONBLOCK: a FIFO without a reader fails at once instead of waiting.
    const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) throw std::runtime_error(file.string() + ": open: " + std::strerror(errno));
    const ssize_t written = write(fd, text.data(), text.size());
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (written < 0) throw std::runtime_error(file.string() + ": write: " + std::strerror(writeError));
    if (static_cast<std::size_t>(written) != text.size()) {
        throw std::runtime_error(file.string() + ": write: only part of the line went in");
    }
    if (!closed) throw std::runtime_error(file.string() + ": close: " + std::strerror(errno));
}

std::optional<std::string> AppendProblem(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        if (!std::filesystem::is_regular_file(file, error)) return "not a regular file";
        if (access(file.c_str(), W_OK) != 0) return std::strerror(errno);
        return std::nullopt;
    }
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (!std::filesystem::is_directory(folder, error)) return "its folder does not exist";
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return std::string("its folder: ") + std::strerror(errno);
    }
    return std::nullopt;
}

std::string PathText(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace CalMod
