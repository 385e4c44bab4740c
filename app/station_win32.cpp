// Station facts and the journal's append on Windows.
#include <windows.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "app/station.hpp"
#include "meter/system_message_win32.hpp"

namespace CalMod {

namespace {

std::string Utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::runtime_error Failure(const std::filesystem::path& file, const char* operation) {
    return std::runtime_error(PathText(file) + ": " + operation + ": " +
                              meter::SystemMessage(GetLastError()));
}

}  // namespace

std::string UserName() {
    wchar_t name[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(name, &length)) return {};
    return Utf8(name, static_cast<int>(length > 0 ? length - 1 : 0));
}

std::string HostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length)) return {};
    return Utf8(name, static_cast<int>(length));
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

void AppendWhole(const std::filesystem::path& file, std::string_view text) {
    // FILE_APPEND_DATA alone: every write goes to the end, as one piece.
    const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw Failure(file, "open");
    DWORD written = 0;
    const BOOL wrote = WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written,
                                 nullptr);
    const DWORD writeError = GetLastError();
    CloseHandle(handle);
    if (!wrote) {
        SetLastError(writeError);
        throw Failure(file, "write");
    }
    if (written != text.size()) {
        throw std::runtime_error(PathText(file) + ": write: only part of the line went in");
    }
}

std::optional<std::string> AppendProblem(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return meter::SystemMessage(GetLastError());
        CloseHandle(handle);
        return std::nullopt;
    }
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (!std::filesystem::is_directory(folder, error)) return "its folder does not exist";
    return std::nullopt;
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace CalMod
