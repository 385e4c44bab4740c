// Times as the journal tool's command line and the journal's "start" give
// them, read as instants so that times with different offsets compare.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace journal_tool {

// Microseconds since 1970-01-01T00:00:00Z.
using Instant = std::int64_t;

// ISO 8601: a date (2026-12-10), or a date and time (2026-12-10T14:30,
// 2026-12-10T14:30:05.250, a blank instead of the T allowed), with or without
// an offset (Z, +01:00, -0500, +01). A date is its midnight. Without an
// offset the time is the station's local time. Nothing when the text is none
// of these or names no such day or time.
std::optional<Instant> ParseInstant(std::string_view text);

}  // namespace journal_tool
