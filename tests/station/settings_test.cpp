#include "station/settings.hpp"

#include <gtest/gtest.h>

#include "station/config_dirs.hpp"
#include "station/facts.hpp"

using namespace station;

// Each way a Windows editor or shell saves "Journal = C:\a #1\j.jsonl" (the
// key in another case, CRLF, a '#' inside the value) names the same journal;
// a '#' only starts a comment at the start of a line.
TEST(Settings, EveryEncodingAWindowsEditorWritesNamesTheJournal) {
    using namespace std::string_literals;
    const std::string utf16le = "\xFF\xFEJ\0o\0u\0r\0n\0a\0l\0=\0a\0 \0#\0\x31\0\r\0\n\0"s;
    const std::string utf16be = "\xFE\xFF\0J\0o\0u\0r\0n\0a\0l\0=\0a\0 \0#\0\x31\0\r\0\n"s;
    const struct {
        std::string bytes;
        std::string journal;
    } cases[] = {
        {"journal = a #1\n", "a #1"},
        {"\xEF\xBB\xBFJOURNAL = a #1\r\n", "a #1"},
        {utf16le, "a #1"},
        {utf16be, "a #1"},
        {"\xFF\xFE\x3D\xD8=\0"s, ""},  // a lone surrogate: an unknown key, no crash
        {"# journal = old\n  # journal = older\njournal = a\xC3\xA9\n", "a\xC3\xA9"},
        // Not UTF-8: the station's 8-bit code page (on POSIX, the bytes).
        {"journal = a\xE9\n", CodePageToUtf8("a\xE9")},
    };
    for (const auto& c : cases) {
        Settings settings;
        ReadSettings(SettingsText(c.bytes), "/s/settings", settings);
        const std::string named = settings.journal ? PathText(settings.journal->filename()) : "";
        EXPECT_EQ(named, c.journal) << c.bytes;
    }
}

// `system log` is the station's alone: a user's line, a value other than on or
// off, and a later file's line are problems that change nothing.
TEST(Settings, OnlyTheStationsFileSetsTheSystemLog) {
    const struct {
        std::string user, station1, station2;
        bool on;
        std::string setBy, problem;
    } cases[] = {
        {"", "System Log = On\n", "system log = off\n", true, "/s1/settings",
         "already set by /s1/settings"},
        {"system log = on\n", "", "", false, "", "only the station's file sets this"},
        {"", "system log = yes\n", "system log = on\n", true, "/s2/settings",
         "system log is on or off, not 'yes'"},
    };
    for (const auto& c : cases) {
        Settings settings;
        ReadSettings(c.user, "/u/settings", settings, true);
        ReadSettings(c.station1, "/s1/settings", settings);
        ReadSettings(c.station2, "/s2/settings", settings);
        EXPECT_EQ(settings.systemLog, c.on) << c.problem;
        EXPECT_EQ(settings.systemLogSetBy, c.setBy);
        ASSERT_EQ(settings.problems.size(), 1U);
        EXPECT_EQ(settings.problems[0].what, c.problem);
    }
}

// The station's file is read first, and the first file to set a key holds it:
// a user's later line changes nothing and says so.
TEST(Settings, TheStationsFileHoldsEveryKeyItSets) {
    Settings settings;
    ReadSettings("journal = j.jsonl\njournal files = Monthly\n", "/station/settings", settings);
    ReadSettings("journal = u.jsonl\njournal files = daily\njournal files = weekly\n",
                 "/user/settings", settings);
    EXPECT_EQ(settings.journal, std::filesystem::path("/station/j.jsonl"));
    EXPECT_EQ(settings.journalFiles, JournalFiles::Monthly);
    std::vector<std::string> problems;
    for (const auto& p : settings.problems) problems.push_back(std::to_string(p.line) + " " + p.what);
    EXPECT_EQ(problems, (std::vector<std::string>{"1 already set by /station/settings",
                                                  "2 already set by /station/settings",
                                                  "3 journal files is one, monthly or daily"}));
}

// A monthly or daily journal's date goes before the last dot of its name.
TEST(Settings, DatedJournalNamesTheMonthOrTheDay) {
    const struct {
        const char* journal;
        JournalFiles files;
        const char* file;
    } cases[] = {
        {"/j/journal.jsonl", JournalFiles::One, "/j/journal.jsonl"},
        {"/j/journal.jsonl", JournalFiles::Monthly, "/j/journal-2026-12.jsonl"},
        {"/j/journal.jsonl", JournalFiles::Daily, "/j/journal-2026-12-31.jsonl"},
        {"/j/a.b.jsonl", JournalFiles::Monthly, "/j/a.b-2026-12.jsonl"},
        {"/j/journal", JournalFiles::Monthly, "/j/journal-2026-12"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DatedJournal(c.journal, c.files, "2026-12-31T23:59:59.999+01:00"),
                  std::filesystem::path(c.file));
    }
}

// On Windows %NAME% in the journal's path is the variable's value; an unset
// one stays as written and is a problem. Elsewhere a % is part of the path.
TEST(Settings, JournalPathExpandsVariablesOnWindowsOnly) {
#ifdef _WIN32
    _putenv_s("QUILLET_TEST_DIR", "D:\\lab");
    const std::string expanded = "D:\\lab\\j.jsonl";
#else
    const std::string expanded = "%QUILLET_TEST_DIR%\\j.jsonl";
#endif
    Settings settings;
    ReadSettings("journal = %QUILLET_TEST_DIR%\\j.jsonl\n", "", settings);
    EXPECT_EQ(PathText(*settings.journal), expanded);
    EXPECT_TRUE(settings.problems.empty());
    Settings unset;
    ReadSettings("journal = %QUILLET_UNSET%\\j.jsonl\n", "", unset);
    EXPECT_EQ(PathText(*unset.journal), "%QUILLET_UNSET%\\j.jsonl");
    EXPECT_EQ(unset.problems.size(), SettingsExpandVariables ? 1U : 0U);
}
