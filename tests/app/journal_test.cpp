#include "app/journal.hpp"

#include <gtest/gtest.h>

#include "app/settings.hpp"
#include "app/station.hpp"

using namespace CalMod;

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

// Text fields hold strictly valid UTF-8: every byte of anything else escaped.
TEST(JournalLine, TextFieldsAreStrictlyValidUtf8) {
    const struct {
        std::string directory;
        std::string json;
    } cases[] = {
        {"\xC3\xA9\xF0\x9F\x98\x80", "\"\xC3\xA9\xF0\x9F\x98\x80\""},
        {"\xE0\x80\xAF", R"("\u00e0\u0080\u00af")"},        // overlong '/'
        {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},        // a surrogate
        {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},  // above U+10FFFF
        {"\xC3", R"("\u00c3")"},                            // cut short
    };
    for (const auto& c : cases) {
        JournalEntry entry;
        entry.directory = c.directory;
        EXPECT_NE(JournalLine(entry).find("\"directory\":" + c.json + ","), std::string::npos)
            << c.json;
    }
}
