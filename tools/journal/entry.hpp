// The fields of a journal entry that the journal tool shows, finds and
// replays by, read from the line as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace journal_tool {

// A line that is JSON but not a journal entry.
struct NotAnEntry : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Entry {
    bool chained = false;               // the line has a "seq" field (a number or null)
    std::optional<std::uint64_t> seq;   // nothing: unchained, or from before the chain
    std::optional<std::string> prev;    // the previous line's SHA-256 in hex; nothing: null
    std::string start;                  // ISO 8601 with its offset
    std::string port, target, result;   // bytes, as the record held them
    std::string outcome;                // "reading", "no reading" or "not written"
};

// The entry that the line holds. Throws std::runtime_error (from the JSON
// reader) when the line is not JSON, and NotAnEntry, naming the field, when
// it is JSON but not of an entry's shape.
Entry ReadEntry(std::string_view line);


}  // namespace journal_tool
