// The entries of a journal file that a lab asks for: by seq, time, port and
// outcome, one line per job or the raw lines, read as a stream.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>

#include "tools/journal/entry.hpp"
#include "tools/journal/time.hpp"

namespace journal_tool {

struct Filter {
    std::optional<std::uint64_t> seq = {};
    std::optional<Instant> since = {};  // from this instant on
    std::optional<Instant> until = {};  // before this instant
    std::optional<int> port = {};
    std::optional<std::string> outcome = {};  // as the journal writes it: "no reading"

    bool Matches(const Entry& entry) const;
};

// Calls `hit` with each line of the file (without its line feed) whose entry
// passes the filter, in the file's order. Returns how many lines were passed
// over as no entry (blank, torn, not of an entry's shape). Throws
// std::runtime_error when the file cannot be read to its end.
std::uint64_t ForEachMatch(std::istream& in, const Filter& filter,
                           const std::function<void(const std::string& line, const Entry&)>& hit);

// One job on one line: start, seq, port, target, result, outcome; the record's
// bytes made visible, their blank fill left off.
std::string Summary(const Entry& entry);

}  // namespace journal_tool
