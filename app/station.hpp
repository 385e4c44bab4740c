// Facts of the station and one append to a file, for the job's journal. Each
// platform has its own file (station_posix.cpp, station_win32.cpp).
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace CalMod {

// The account the job runs under, and the computer's name (UTF-8).
std::string UserName();
std::string HostName();

// ISO 8601 local time with milliseconds and the offset from UTC:
// 2026-12-09T21:30:00.123+01:00.
std::string LocalTimestamp(std::chrono::system_clock::time_point when);

// Appends the text to the file (created when missing) in one write, so that
// two jobs appending at the same moment never interleave. Throws
// std::runtime_error, naming the file and the system's reason, when the text
// did not go in whole. Never waits on a FIFO.
void AppendWhole(const std::filesystem::path& file, std::string_view text);

// Why the file could not be appended to now; nothing when it could. Changes
// nothing: a missing file is judged by its folder.
std::optional<std::string> AppendProblem(const std::filesystem::path& file);

// A path as UTF-8 text.
std::string PathText(const std::filesystem::path& path);

}  // namespace CalMod
