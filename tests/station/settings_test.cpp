#include "station/settings.hpp"

#include <gtest/gtest.h>

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

// `system log` comes from the station's files alone, the first that sets it
// winning; a user's line, or a value other than on or off, is a problem that
// changes nothing.
TEST(Settings, OnlyTheStationsFileSetsTheSystemLog) {
    const struct {
        std::string user, station1, station2;
        bool on;
        std::string setBy, problem;
    } cases[] = {
        {"", "System Log = On\n", "system log = off\n", true, "/s1/settings", ""},
        {"system log = on\n", "", "", false, "", "only the station's file sets this"},
        {"", "system log = yes\n", "system log = on\n", true, "/s2/settings", "not 'yes'"},
        {"", "system log = off\n", "system log = on\n", false, "/s1/settings", ""},
    };
    for (const auto& c : cases) {
        Settings settings;
        ReadSettings(c.user, "/u/settings", settings, true);
        ReadSettings(c.station1, "/s1/settings", settings);
        ReadSettings(c.station2, "/s2/settings", settings);
        EXPECT_EQ(settings.systemLog, c.on) << c.user << c.station1;
        EXPECT_EQ(settings.systemLogSetBy, c.setBy);
        const std::string problem = settings.problems.empty() ? "" : settings.problems[0].what;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        EXPECT_EQ(settings.problems.size(), c.problem.empty() ? 0U : 1U);
    }
}
