// Station facts on Windows.
#include <windows.h>

#include <cstdio>
#include <ctime>

#include "station/facts.hpp"
#include "station/wide_text_win32.hpp"

namespace station {

std::string UserName() {
    wchar_t name[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(name, &length)) return {};
    return Utf8FromWide({name, length > 0 ? length - 1 : 0});
}

std::string HostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length)) return {};
    return Utf8FromWide({name, length});
}

std::string LocalTimestamp(std::chrono::system_clock::time_point when) {
    const __time64_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    _localtime64_s(&local, &seconds);
    // The offset from UTC: the local fields read as if they were UTC, less the time.
    std::tm copy = local;
    const long long offset = (_mkgmtime64(&copy) - seconds) / 60;
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    char text[48];
    std::snprintf(text, sizeof text, "%s.%03d%c%02lld:%02lld", date, static_cast<int>(millis),
                  offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                  (offset < 0 ? -offset : offset) % 60);
    return text;
}

std::string SettingsFallbackUtf8(std::string_view text) {
    return Utf8FromWide(WideFromCodePage(text, CP_ACP));
}

void FileSizeLimitFailsWrites() {}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace station
