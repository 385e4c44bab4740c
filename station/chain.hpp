// The journal's chain: each line names its place in its file (`seq`) and the
// SHA-256 of the line before it (`prev`), so that a line altered, removed,
// added or moved inside a file shows. The job's append (app/journal.cpp) and
// the journal tool's check share these rules.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace station {

// A new line's link to the file it goes into.
struct Link {
    std::optional<std::uint64_t> seq;  // nothing: the file's end could not be read
    std::optional<std::string> prev;   // the previous line's SHA-256 in hex; nothing for the first
};

// The `seq` a line names at its start (`{"seq":N,`), or nothing.
std::optional<std::uint64_t> LineSeq(std::string_view line);

// The link of a line appended after `lastLine` (the file's last line without
// its line feed, torn or not; nothing for an empty file): the next `seq`, so
// that a whole file's `seq` is each line's number. After a line that names no
// `seq`, the number of lines in the file (asked for only then; a torn last
// line counts as one) plus 1.
Link NextLink(std::optional<std::string_view> lastLine,
              const std::function<std::uint64_t()>& lineCount);

// A link for a file whose end cannot be read (write-only, a FIFO, a device):
// an unchained line, `"seq":null,"prev":null`.
inline Link Unchained() { return {}; }

// The entry's JSON object (`{...}`, with or without its line feed) with the
// chain's fields first: `{"seq":N,"prev":"..."|null,"locked":true|false,...`.
std::string ChainedLine(const Link& link, bool locked, std::string_view entry);

}  // namespace station
