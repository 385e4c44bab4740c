// Journal lines made by the writer's own rules (the entry's line, then the
// chain's link and leading fields), for the journal tool's tests.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/journal.hpp"
#include "station/chain.hpp"

namespace journal_lines {

// Job i: one hour after job i - 1 (odd jobs written with +01:00, even ones in
// UTC), on COM1 to COM6, every 7th without a reading, every 11th not written.
inline CalMod::JournalEntry Job(int i) {
    CalMod::JournalEntry entry;
    const int hour = i - 1, day = 1 + hour / 24;
    char start[64];
    if (i % 2) {
        std::snprintf(start, sizeof start, "2026-12-%02dT%02d:00:00.000+01:00", day, hour % 24);
    } else {
        const int utc = hour + 23;  // one hour earlier, from the day before
        std::snprintf(start, sizeof start, "2026-%02d-%02dT%02d:00:00.000+00:00", utc < 24 ? 11 : 12,
                      utc < 24 ? 30 : utc / 24, utc % 24);
    }
    entry.start = start;
    entry.target = "1000 Ohms           ";
    entry.port = "COM" + std::to_string(1 + (i - 1) % 6) + " ";
    entry.result = i % 7 ? "1234.5Ohms" : "";
    if (i % 11 == 0) entry.notWritten = "ExtCtrl.dat: Permission denied";
    return entry;
}

// The line that the writer appends after `lines` (each without its line feed).
inline std::string Append(const std::vector<std::string>& lines, const std::string& entryLine,
                   bool locked = true) {
    const station::Link link = station::NextLink(
        lines.empty() ? std::nullopt : std::optional<std::string_view>(lines.back()),
        [&] { return static_cast<std::uint64_t>(lines.size()); });
    std::string line = station::ChainedLine(link, locked, entryLine);
    line.pop_back();  // its line feed
    return line;
}

inline std::vector<std::string> Journal(int jobs) {
    std::vector<std::string> lines;
    for (int i = 1; i <= jobs; ++i) lines.push_back(Append(lines, CalMod::JournalLine(Job(i)), i != 2));
    return lines;
}

inline std::string Text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

}  // namespace journal_lines
