// The journal's appending on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "station/append.hpp"

namespace station {

namespace {

std::runtime_error Failure(const std::filesystem::path& file, const char* operation, int error) {
    return std::runtime_error(file.string() + ": " + operation + ": " + std::strerror(error));
}

}  // namespace

AppendingFile::AppendingFile(const std::filesystem::path& file) : file_(file) {
    // O_NONBLOCK: a FIFO without a reader fails at once instead of waiting. A
    // regular file is opened for reading too, to see how it ends; one this
    // user may only write is appended to all the same.
    const int flags = O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    struct stat info {};
    const bool missing = stat(file.c_str(), &info) != 0;
    const bool regular = missing || S_ISREG(info.st_mode);
    // A journal this job creates is open to the station's group whatever the
    // umask, so that every member (every user of the serial ports) can append.
    int fd = missing ? open(file.c_str(), O_RDWR | O_EXCL | flags, 0664) : -1;
    if (fd >= 0) fchmod(fd, 0664);
    if (fd < 0 && regular) fd = open(file.c_str(), O_RDWR | flags, 0664);
    readable_ = fd >= 0;
    if (fd < 0 && (!regular || errno == EACCES)) fd = open(file.c_str(), O_WRONLY | flags, 0664);
    if (fd < 0) throw Failure(file, "open", errno);
    handle_ = fd;
}

AppendingFile::~AppendingFile() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

std::optional<AppendingFile::End> AppendingFile::FileEnd() {
    const int fd = static_cast<int>(handle_);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    End end{static_cast<std::uint64_t>(info.st_size), true};
    char last = '\n';
    if (readable_ && info.st_size > 0 && pread(fd, &last, 1, info.st_size - 1) == 1) {
        end.lineFeed = last == '\n';
    }
    return end;
}

// flock, not fcntl: a lock that no other descriptor of this process can drop.
bool AppendingFile::TryLock() {
    int result = -1;
    do {
        result = flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    locked_ = result == 0;
    return locked_;
}

std::size_t AppendingFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t size) {
    ssize_t got = -1;
    do {
        got = pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::size_t AppendingFile::Write(std::string_view text) {
    ssize_t written = -1;
    do {
        written = write(static_cast<int>(handle_), text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) throw Failure(file_, "write", errno);
    return static_cast<std::size_t>(written);
}

bool AppendingFile::CutTo(std::uint64_t size) {
    return ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) == 0;
}

void AppendingFile::Close() {
    const int fd = static_cast<int>(std::exchange(handle_, -1));
    if (close(fd) != 0) throw Failure(file_, "close", errno);
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

}  // namespace station
