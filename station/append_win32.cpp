// The journal's appending on Windows.
#include <windows.h>

#include <stdexcept>
#include <utility>

#include "station/append.hpp"
#include "station/facts.hpp"
#include "station/system_message_win32.hpp"

namespace station {

namespace {

std::runtime_error Failure(const std::filesystem::path& file, const char* operation) {
    return std::runtime_error(PathText(file) + ": " + operation + ": " +
                              SystemMessage(GetLastError()));
}

// The file, shared with every other reader and writer, as the journal is.
HANDLE Open(const std::filesystem::path& file, DWORD access, DWORD disposition = OPEN_ALWAYS) {
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

AppendingFile::AppendingFile(const std::filesystem::path& file) : file_(file) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end, as
    // one piece. Read access as well, to see how the file ends; a file this
    // user may only append to is appended to all the same.
    HANDLE handle = Open(file, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE);
    readable_ = handle != INVALID_HANDLE_VALUE;
    if (!readable_ && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = Open(file, FILE_APPEND_DATA | SYNCHRONIZE);
    }
    if (handle == INVALID_HANDLE_VALUE) throw Failure(file, "open");
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

namespace {

// The journal's lock is one byte far past any file's end (at 2^62), so that
// it blocks no reader and no job that gave up waiting: only other appends.
OVERLAPPED LockPlace() {
    OVERLAPPED at{};
    at.OffsetHigh = 1U << 30;
    return at;
}

// Closing the handle would release the lock too, but only some time later.
void Unlock(std::intptr_t handle, bool& locked) {
    if (!std::exchange(locked, false)) return;
    OVERLAPPED at = LockPlace();
    UnlockFileEx(reinterpret_cast<HANDLE>(handle), 0, 1, 0, &at);
}

}  // namespace

AppendingFile::~AppendingFile() {
    if (handle_ != -1) {
        Unlock(handle_, locked_);
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

bool AppendingFile::TryLock() {
    OVERLAPPED at = LockPlace();
    locked_ = LockFileEx(reinterpret_cast<HANDLE>(handle_),
                         LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
    return locked_;
}

std::size_t AppendingFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t size) {
    OVERLAPPED at{};  // a read at an offset, on a handle opened for plain access
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(size), &got, &at)) {
        return 0;
    }
    return got;
}

std::optional<AppendingFile::End> AppendingFile::FileEnd() {
    const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) return std::nullopt;
    End end{static_cast<std::uint64_t>(size.QuadPart), true};
    char last = '\n';
    if (readable_ && size.QuadPart > 0 && ReadAt(end.size - 1, &last, 1) == 1) {
        end.lineFeed = last == '\n';
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
    const HANDLE handle = Open(file_, GENERIC_WRITE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool cut = SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    CloseHandle(handle);
    return cut;
}

void AppendingFile::Close() {
    Unlock(handle_, locked_);
    if (!CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)))) {
        throw Failure(file_, "close");
    }
}

std::optional<std::string> AppendProblem(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        const HANDLE handle = Open(file, FILE_APPEND_DATA, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE) return SystemMessage(GetLastError());
        CloseHandle(handle);
        return std::nullopt;
    }
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (!std::filesystem::is_directory(folder, error)) return "its folder does not exist";
    return std::nullopt;
}

}  // namespace station
