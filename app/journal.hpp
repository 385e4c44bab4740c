// The job's journal: with `journal = PATH` in the station's settings, each job
// appends one line of JSON to PATH at its end: who ran it where and when, the
// record's target and port, every byte the meter sent with its time, the
// result, and whether it reached the record. The driver gathers the facts;
// this formats them and appends the line. Off by default; whatever happens to
// the journal changes nothing in the job.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "meter/recording_serial.hpp"

namespace CalMod {

// Everything a journal line holds.
struct JournalEntry {
    std::string start;    // ISO 8601 local time with offset
    double seconds = 0;   // how long the job took
    std::string user, host, directory;
    std::string target, port;  // the record's fields, as stored
    std::string device;        // the device the port opened
    bool display = false;      // whether the window was on a display
    std::vector<meter::QueryTrace> queries;
    std::vector<std::string> replies;  // each query's collected reply
    std::string result;  // what the record's field got, without its fill
    std::optional<std::string> notWritten;  // why the result did not reach the record
};

// The entry as one line of JSON ending in a line feed. Bytes from the record
// and the meter are kept whole: printable ASCII as itself (" and \ escaped),
// every other byte as \u00XX of its value.
std::string JournalLine(const JournalEntry& entry);

// Where a journal line went: the file, the line's `seq` in that file's chain
// (nothing when it has none), and the SHA-256 of the line's bytes as written,
// without line feeds (what the next line's `prev` holds).
struct JournalAppended {
    std::filesystem::path file;
    std::optional<std::uint64_t> seq;
    std::string sha256;
};

// Appends the entry's line to the journal file, led by the chain's fields and
// under the file's lock (station/append.hpp); what went in, or nothing when
// the line did not go in whole. Never throws: a journal that cannot be written
// leaves the job's result, status and record as they are.
std::optional<JournalAppended> AppendJournal(const std::filesystem::path& file,
                                             const JournalEntry& entry) noexcept;

}  // namespace CalMod
