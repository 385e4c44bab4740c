#include "app/system_log.hpp"

#include <gtest/gtest.h>

using namespace CalMod;

namespace {

std::string Field(const station::SystemLogEntry& entry, const std::string& name) {
    for (const auto& field : entry.fields) {
        if (field.name == name) return field.value;
    }
    return "(none)";
}

}  // namespace

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
