// Station facts and the journal's append on Windows.
#include <windows.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <utility>

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

namespace {

HANDLE OpenAppending(const std::filesystem::path& file, DWORD access) {
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

AppendingFile::AppendingFile(const std::filesystem::path& file) : file_(file) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end, as
    // one piece. Read access as well, to see how the file ends; a file this
    // user may only append to is appended to all the same.
    HANDLE handle = OpenAppending(file, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE);
    readable_ = handle != INVALID_HANDLE_VALUE;
    if (!readable_ && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = OpenAppending(file, FILE_APPEND_DATA | SYNCHRONIZE);
    }
    if (handle == INVALID_HANDLE_VALUE) throw Failure(file, "open");
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

AppendingFile::~AppendingFile() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<AppendingFile::End> AppendingFile::FileEnd() {
    const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) return std::nullopt;
    End end{static_cast<std::uint64_t>(size.QuadPart), true};
    if (readable_ && size.QuadPart > 0) {
        OVERLAPPED at{};  // a read at an offset, on a handle opened for plain access
        at.Offset = static_cast<DWORD>(size.QuadPart - 1);
        at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
        char last = '\n';
        DWORD got = 0;
        if (ReadFile(handle, &last, 1, &got, &at) && got == 1) end.lineFeed = last == '\n';
    }
    return end;
}

std::size_t AppendingFile::Write(std::string_view text) {
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle_), text.data(), static_cast<DWORD>(text.size()),
                   &written, nullptr) &&
        written == 0) {
        throw Failure(file_, "write");
    }
    return written;
}

bool AppendingFile::CutTo(std::uint64_t size) {
    // An appending handle cannot move the end back; a second one may.
    const HANDLE handle = CreateFileW(file_.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool cut = SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    CloseHandle(handle);
    return cut;
}

void AppendingFile::Close() {
    if (!CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)))) {
        throw Failure(file_, "close");
    }
}

std::string CodePageToUtf8(std::string_view text) {
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return Utf8(wide.data(), static_cast<int>(wide.size()));
}

void FileSizeLimitFailsWrites() {}

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
