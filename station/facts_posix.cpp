// Station facts on POSIX systems.
#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>

#include "station/facts.hpp"

namespace station {

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

std::string SettingsFallbackUtf8(std::string_view text) {
    return std::string(text);
}

void FileSizeLimitFailsWrites() {
    std::signal(SIGXFSZ, SIG_IGN);
}

std::string PathText(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace station
