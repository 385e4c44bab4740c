#include "tools/journal/verify.hpp"

#include <stdexcept>

#include "station/chain.hpp"
#include "station/digest.hpp"
#include "tools/journal/entry.hpp"
#include "tools/journal/lines.hpp"

namespace journal_tool {

namespace {

std::string Number(std::uint64_t value) { return std::to_string(value); }

// What is wrong with line `n` (a whole line, `seq` given) when its `seq` is not
// `n`. A line that came too early is told from a gap by the line after it:
// when that one carries on from `n`, this one was moved here.
std::string MisplacedLine(std::uint64_t n, std::uint64_t seq, LineReader& reader) {
    if (seq < n) {
        return "lines out of order: seq " + Number(seq) + " after seq " + Number(n - 1) +
               " (a line moved down, or one added)";
    }
    const std::optional<std::uint64_t> next =
        reader.Next() ? station::LineSeq(reader.Line()) : std::nullopt;
    if (next && (*next == n || *next == n + 1)) {
        return "lines out of order: seq " + Number(seq) + " where seq " + Number(n) + " was due";
    }
    const std::uint64_t gap = seq - n;
    return "a missing line: seq " + Number(seq) + " where seq " + Number(n) + " was due (" +
           Number(gap) + (gap == 1 ? " line" : " lines") + " missing before it)";
}

// What is wrong with line `n`, or nothing when its own check passes.
std::optional<std::string> Check(LineReader& reader, const std::string& previousDigest) {
    const std::string& line = reader.Line();
    const std::uint64_t n = reader.Number();
    if (!reader.EndsInLineFeed()) return "a torn line: it ends without a line feed (cut short)";
    if (line.find_first_not_of(" \t\r") == std::string::npos) return "a blank line";
    Entry entry;
    try {
        entry = ReadEntry(line);
    } catch (const NotAnEntry& error) {
        return std::string("a line that is no entry: ") + error.what();
    } catch (const std::runtime_error& error) {
        return std::string("a torn line: not whole JSON in UTF-8 (") + error.what() + ")";
    }
    if (!entry.chained) {
        return "a line from before the chain (no \"seq\"): the chain cannot vouch for it";
    }
    if (!entry.seq) {
        return "an unchained line (\"seq\": null): its job could not read the end of the file";
    }
    if (*entry.seq != n) return MisplacedLine(n, *entry.seq, reader);
    if (n == 1 && entry.prev) return "an altered line: the first line's \"prev\" is not null";
    if (n > 1 && entry.prev != previousDigest) {
        return "an altered line: its \"prev\" does not match line " + Number(n - 1) +
               " (line " + Number(n - 1) + " was changed, or this line's \"prev\")";
    }
    return std::nullopt;
}

}  // namespace

Verdict Verify(std::istream& in) {
    LineReader reader(in);
    Verdict verdict;
    std::string previousDigest;
    while (reader.Next()) {
        const std::uint64_t n = reader.Number();
        if (std::optional<std::string> what = Check(reader, previousDigest)) {
            verdict.fault = Fault{n, std::move(*what)};
            return verdict;
        }
        previousDigest = station::Sha256Hex(reader.Line());
        verdict.entries = n;
    }
    if (reader.Failed()) throw std::runtime_error("reading stopped at line " + Number(reader.Number() + 1));
    return verdict;
}

std::string VerdictLine(const std::string& name, const Verdict& verdict) {
    if (!verdict.fault) {
        return name + ": " + Number(verdict.entries) + (verdict.entries == 1 ? " entry" : " entries") +
               ", whole";
    }
    return name + ": not whole: line " + Number(verdict.fault->line) + ": " + verdict.fault->what;
}

}  // namespace journal_tool
