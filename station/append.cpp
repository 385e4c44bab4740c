#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <thread>

#include "station/append.hpp"
#include "station/chain.hpp"
#include "station/digest.hpp"
#include "station/facts.hpp"

namespace station {

namespace {

constexpr std::size_t Chunk = std::size_t{64} * 1024;

// Polls for the lock until `wait` has passed: flock and LockFileEx both offer a
// try, and neither a bounded wait.
bool Lock(AppendingFile& out, std::chrono::milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    while (!out.TryLock()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The file's last line without its line feed, torn or not, read backwards
// from its end in chunks; nothing for an empty file or when a read fails.
std::optional<std::string> LastLine(AppendingFile& out, const AppendingFile::End& end) {
    if (end.size == 0) return std::nullopt;
    std::uint64_t stop = end.lineFeed ? end.size - 1 : end.size;  // the line's end
    std::string line;
    std::array<char, Chunk> buffer{};
    for (std::uint64_t at = stop; at > 0;) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(at, Chunk));
        at -= size;
        if (out.ReadAt(at, buffer.data(), size) != size) return std::nullopt;
        const std::string_view piece(buffer.data(), size);
        const std::size_t feed = piece.rfind('\n');
        if (feed != std::string_view::npos) return std::string(piece.substr(feed + 1)) + line;
        line.insert(0, piece);
    }
    return line;
}

// The file's lines, a torn last one included: read whole, so only asked for
// after a line that names no `seq`.
std::uint64_t LineCount(AppendingFile& out, const AppendingFile::End& end) {
    std::uint64_t lines = end.lineFeed ? 0 : 1;
    std::array<char, Chunk> buffer{};
    for (std::uint64_t at = 0; at < end.size;) {
        const std::size_t got = out.ReadAt(at, buffer.data(), buffer.size());
        if (got == 0) break;
        lines += static_cast<std::uint64_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
        at += got;
    }
    return lines;
}

}  // namespace

Appended AppendChained(const std::filesystem::path& file, std::string_view entry,
                       std::chrono::milliseconds wait) {
    AppendingFile out(file);
    const bool locked = Lock(out, wait);
    const std::optional<AppendingFile::End> end = out.FileEnd();
    // A file whose end cannot be read (write-only, a FIFO, a device) gets an
    // unchained line.
    Link link = Unchained();
    if (end && out.Readable()) {
        if (const std::optional<std::string> last = LastLine(out, *end); last || end->size == 0) {
            link = NextLink(last, [&] { return LineCount(out, *end); });
        }
    }
    const std::string line = ChainedLine(link, locked, entry);
    // A torn last line keeps its bytes, and this one starts on a line of its
    // own, so that each whole entry still reads as one line.
    std::string text = end && !end->lineFeed ? "\n" : "";
    text += line;
    text += '\n';
    const std::size_t written = out.Write(text);
    if (written != text.size()) {
        // Cut back what went in, unless another job has appended since.
        const std::optional<AppendingFile::End> now = out.FileEnd();
        if (end && now && now->size == end->size + written) out.CutTo(end->size);
        throw std::runtime_error(PathText(file) + ": write: only part of the line went in");
    }
    out.Close();
    return {link.seq, Sha256Hex(line)};
}

}  // namespace station
