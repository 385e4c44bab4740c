// Facts of the station and of the process, for the journal, the tools and the
// window: who runs the job where and when, the settings file's 8-bit
// fallback, paths as text. Each platform has its own file (facts_posix.cpp, facts_win32.cpp).
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace station {

// The account the job runs under, and the computer's name (UTF-8).
std::string UserName();
std::string HostName();

// ISO 8601 local time with milliseconds and the offset from UTC:
// 2026-12-09T21:30:00.123+01:00.
std::string LocalTimestamp(std::chrono::system_clock::time_point when);

// The settings file's text when it is not UTF-8, as UTF-8: read in the ANSI
// code page on Windows, as an editor's "ANSI" writes it; on POSIX systems,
// where file names are bytes, the bytes as they are. Not the record's code
// page (station/code_page.hpp), which on POSIX systems is Windows-1252.
std::string SettingsFallbackUtf8(std::string_view text);

// With a file size limit (ulimit -f), a write past it fails with an error
// instead of ending the process, so that the job reports it as it reports a
// full disk. Nothing to do on Windows.
void FileSizeLimitFailsWrites();

// A path as UTF-8 text.
std::string PathText(const std::filesystem::path& path);

}  // namespace station
