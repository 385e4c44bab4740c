// The station's settings file: `key = value` lines, blank lines, and comment
// lines that begin with `#` (a `#` later in a line is part of it: Windows paths
// may hold one). Keys are compared in either case, as Windows compares INI
// keys. The file may be UTF-8 with or without a byte order mark, UTF-16 of
// either byte order with its mark (what Windows editors and PowerShell write),
// or else text in the station's 8-bit code page. It is looked up in the
// configuration directories, the station's first (station/config_dirs.hpp);
// for each key the first file that sets it wins, so a station's setting holds
// whatever a user's file says. Keys:
// - `journal = PATH`: the file each job appends its journal line to (a
//   relative PATH counts from the settings file's folder; on Windows %NAME%
//   names an environment variable). Without it nothing is journalled.
// - `journal files = one|monthly|daily`: one file, or a new file each month
//   or day, the date going into the file's name (one when unset).
// - `system log = on|off`: whether each job also leaves an entry in the
//   station's system log (station/system_log.hpp); off unless set. Only the
//   station's file sets it: the lab's central copy is not the user's to switch.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

struct SettingsProblem {
    std::filesystem::path file;
    int line = 0;
    std::string what;  // "unknown key 'x'", "no '=' in the line", ...
};

enum class JournalFiles { One, Monthly, Daily };

struct Settings {
    std::optional<std::filesystem::path> journal;
    std::filesystem::path journalSetBy;  // the settings file that named it
    JournalFiles journalFiles = JournalFiles::One;
    std::filesystem::path journalFilesSetBy;  // empty: not set
    bool systemLog = false;
    std::filesystem::path systemLogSetBy;  // the station's file that set it, on or off
    std::vector<std::filesystem::path> files;  // the settings files found, in order
    std::vector<SettingsProblem> problems;     // lines that changed nothing
};

// A settings file's bytes as UTF-8 text, whatever of the encodings above it
// is in.
std::string SettingsText(std::string_view bytes);

// Reads one settings file's text (UTF-8) into `settings`; keys it already
// holds stay. `userFile`: the file is the user's own, not the station's.
void ReadSettings(std::string_view text, const std::filesystem::path& file, Settings& settings,
                  bool userFile = false);

// The journal file that an append on `date` (local time, "YYYY-MM-DD..."
// will do) writes: the journal itself for one file; else with "-YYYY-MM" or
// "-YYYY-MM-DD" before the last dot of its name, or at its end when there is
// none.
std::filesystem::path DatedJournal(const std::filesystem::path& journal, JournalFiles files,
                                   std::string_view date);

// The settings of this user on this station. Never throws: an unreadable file
// is a problem of its own, and changes nothing.
Settings LoadSettings();

}  // namespace station
