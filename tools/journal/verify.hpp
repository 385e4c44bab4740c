// The check of a journal file: every line whole JSON in UTF-8 and an entry,
// `seq` without a gap, every `prev` the SHA-256 of the line before it.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace journal_tool {

struct Fault {
    std::uint64_t line = 0;  // the first line whose own check fails
    std::string what;        // which fault, in words
};

struct Verdict {
    std::uint64_t entries = 0;  // the lines read
    std::optional<Fault> fault;  // nothing: the file is whole
};

// Reads the file to its end (or its first fault), one line at a time.
// Throws std::runtime_error when the file cannot be read to its end.
Verdict Verify(std::istream& in);

// The line `verify` prints for a file: "NAME: 4211 entries, whole", or the
// first fault's line number and what it is.
std::string VerdictLine(const std::string& name, const Verdict& verdict);

}  // namespace journal_tool
