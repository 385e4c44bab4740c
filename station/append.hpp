// One whole line appended to a file, for the journal: the sequence is shared
// (append.cpp), the file operations are the platform's own (append_posix.cpp,
// append_win32.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace station {

// Appends one line (ending in a line feed) to the file, created when missing,
// in one write, so that two jobs appending at the same moment never
// interleave. The line always starts a line of its own: after a torn last
// line (a crash, a full disk) it begins with a line feed. A write that goes in
// only part-way is taken back when nothing else was appended since. Throws
// std::runtime_error, naming the file and the system's reason, when the line
// did not go in whole. Never waits on a FIFO.
void AppendWhole(const std::filesystem::path& file, std::string_view line);

// A file opened for appending, the platform's own: every write goes to the
// end of the file as one piece.
class AppendingFile {
public:
    // Throws std::runtime_error naming the file and the system's reason.
    explicit AppendingFile(const std::filesystem::path& file);
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

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
};

// Why the file could not be appended to now; nothing when it could. Changes
// nothing: a missing file is judged by its folder.
std::optional<std::string> AppendProblem(const std::filesystem::path& file);

}  // namespace station
