// One whole, chained line appended to a file, for the journal: the sequence is
// shared (append.cpp), the file operations are the platform's own
// (append_posix.cpp, append_win32.cpp).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace station {

// What a chained append put in: the line's `seq` (nothing when unchained) and
// the SHA-256 of its bytes without the line feed, in hex.
struct Appended {
    std::optional<std::uint64_t> seq;
    std::string sha256;
};

// How long an append waits for the file's lock before it appends unlocked.
inline constexpr std::chrono::milliseconds LockWait{1000};

// Appends `entry` (a JSON object, without a line feed) to the file, created
// when missing, as one line that leads with the chain's fields
// (station/chain.hpp), in one write. The end check, the reading of the last
// line and the write happen under an exclusive lock on the file, so that jobs
// appending at the same moment never come between each other; after `wait`
// without the lock it appends all the same, and the line says
// `"locked":false`. The line always starts a line of its own: after a torn
// last line (a crash, a full disk) it begins with a line feed. Only the file's
// end is read, except once after a line without `seq`. A write that goes in
// only part-way is taken back when nothing else was appended since. Throws
// std::runtime_error, naming the file and the system's reason, when the line
// did not go in whole. Never waits on a FIFO.
Appended AppendChained(const std::filesystem::path& file, std::string_view entry,
                       std::chrono::milliseconds wait = LockWait);

// A file opened for appending, the platform's own: every write goes to the
// end of the file as one piece.
class AppendingFile {
public:
    // Throws std::runtime_error naming the file and the system's reason.
    explicit AppendingFile(const std::filesystem::path& file);
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    // Takes the file's exclusive lock if no other append holds it; false when
    // another does, or the file cannot be locked. Readers are never blocked.
    // The lock goes with the close.
    bool TryLock();
    // Whether this user may read the file, so that its end can be seen.
    bool Readable() const { return readable_; }
    // Reads up to `size` bytes at `offset`; how many it got (0 at the end or
    // on an error).
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size);
    // The size of a regular file, and whether it ends in a line feed (an
    // empty one counts as ending in one, as does one this user may not read);
    // nothing for a FIFO or a device.
    struct End {
        std::uint64_t size = 0;
        bool lineFeed = true;
    };
    std::optional<End> FileEnd();
    // One write; how many bytes went in. Throws when none did.
    std::size_t Write(std::string_view text);
    // Cuts the file back to `size`; false when it could not.
    bool CutTo(std::uint64_t size);
    // Throws when the close reports an error.
    void Close();

private:
    std::filesystem::path file_;
    std::intptr_t handle_ = -1;  // the platform's descriptor or handle; -1 when closed
    bool readable_ = false;
    bool locked_ = false;
};

// Why the file could not be appended to now; nothing when it could. Changes
// nothing: a missing file is judged by its folder.
std::optional<std::string> AppendProblem(const std::filesystem::path& file);

}  // namespace station
