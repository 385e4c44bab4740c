#include "app/system_log.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace CalMod;

namespace {

std::string Field(const station::SystemLogEntry& entry, const std::string& name) {
    for (const auto& field : entry.fields) {
        if (field.name == name) return field.value;
    }
    return "(none)";
}

}  // namespace

// Each outcome has its level, ids and sentence; the journal's fields come only
// with a journal line, its seq only when the line has one.
TEST(SystemLogEntry, LevelIdsSentenceAndJournalFieldsFollowTheOutcome) {
    using station::LogLevel;
    const JournalAppended chained{"/j.jsonl", 7, "ab12"};
    const JournalAppended unchained{"/j.jsonl", std::nullopt, "cd34"};
    const struct {
        std::string result;
        std::optional<std::string> notWritten;
        std::optional<JournalAppended> line;
        LogLevel level;
        unsigned id;
        std::string message, seq, sha256;
    } cases[] = {
        {"1234.5Ohms", {}, chained, LogLevel::Information, 1,
         "COM3: reading 1234.5Ohms (target \"1000 Ohms\")", "7", "ab12"},
        {"", {}, unchained, LogLevel::Warning, 2, "COM3: no reading (target \"1000 Ohms\")",
         "(none)", "cd34"},
        {"", "/d/ExtCtrl.dat: full", {}, LogLevel::Error, 3,
         "result not written: /d/ExtCtrl.dat: full", "(none)", "(none)"},
    };
    std::set<std::string> ids;
    for (const auto& c : cases) {
        JournalEntry job;
        job.port = "COM3 ";
        job.target = "1000 Ohms" + std::string(11, ' ');
        job.result = c.result;
        job.notWritten = c.notWritten;
        const station::SystemLogEntry entry = SystemLogEntryOf(job, c.line);
        EXPECT_EQ(entry.level, c.level) << c.message;
        EXPECT_EQ(entry.eventId, c.id);
        EXPECT_EQ(entry.messageId.size(), 32U);
        ids.insert(entry.messageId);
        EXPECT_EQ(entry.message, c.message);
        EXPECT_EQ(Field(entry, "QUILLET_PORT"), "COM3");
        EXPECT_EQ(Field(entry, "QUILLET_JOURNAL"), c.line ? "/j.jsonl" : "(none)");
        EXPECT_EQ(Field(entry, "QUILLET_SEQ"), c.seq);
        EXPECT_EQ(Field(entry, "QUILLET_LINE_SHA256"), c.sha256);
    }
    EXPECT_EQ(ids.size(), 3U) << "one MESSAGE_ID an outcome";
}

// Values reach a collector as one line of valid UTF-8: the zero bytes of an
// empty record and other control characters as their pictures, bytes that
// are no UTF-8 as U+FFFD, well-formed UTF-8 as it is.
TEST(SystemLogEntry, ValuesAreOneLineOfValidUtf8) {
    JournalEntry job;
    job.port = std::string("\0\0", 2) + "\x7F";
    job.user = "r\xC3\xA9my\r\n";
    job.directory = "/a\xFF";
    const station::SystemLogEntry entry = SystemLogEntryOf(job, {});
    EXPECT_EQ(Field(entry, "QUILLET_PORT"), "\u2400\u2400\u2421");
    EXPECT_EQ(Field(entry, "QUILLET_USER"), "r\xC3\xA9my\u240D\u240A");
    EXPECT_EQ(Field(entry, "QUILLET_DIRECTORY"), "/a\uFFFD");
}

// The journal's native protocol: NAME=value lines, a value with a line feed
// counted (64-bit little-endian length); the event text: the sentence, a
// blank line, lower-case names without QUILLET_, CR LF, no line break inside
// a value.
TEST(SystemLogFormats, JournalDatagramAndEventText) {
    using namespace std::string_literals;
    station::SystemLogEntry entry;
    entry.level = station::LogLevel::Error;
    entry.messageId = "00ff";
    entry.message = "two\nlines";
    entry.fields = {{"QUILLET_PORT", "COM3"}, {"QUILLET_LINE_SHA256", "a\rb"}};
    EXPECT_EQ(station::JournalDatagram(entry),
              "MESSAGE\n\x09\0\0\0\0\0\0\0two\nlines\nMESSAGE_ID=00ff\nPRIORITY=3\n"
              "SYSLOG_IDENTIFIER=quillet-reading-utility\nQUILLET_PORT=COM3\n"
              "QUILLET_LINE_SHA256=a\rb\n"s);
    EXPECT_EQ(station::EventText(entry), "two lines\r\n\r\nport: COM3\r\nline_sha256: a b");
}
