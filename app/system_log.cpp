#include "app/system_log.hpp"

#include <string>

#include "reading/text.hpp"
#include "station/facts.hpp"
#include "station/utf8.hpp"

#ifndef QUILLET_VERSION
#error "QUILLET_VERSION must name the project version"
#endif

namespace CalMod {

namespace {

// Text that should be UTF-8 (names, paths, reasons) as one line of strictly
// valid UTF-8 for a collector's index: each byte that is no UTF-8 as U+FFFD,
// each control character (the zero bytes of an empty record, CR, LF) as its
// picture, U+2400 to U+241F and U+2421, so that nothing goes missing or
// breaks the line.
std::string Utf8Text(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = station::Utf8SequenceLength(text, i);
        if (length == 0) {
            station::AppendUtf8(out, U'\uFFFD');
        } else if (byte < 0x20 || byte == 0x7F) {
            station::AppendUtf8(out, byte == 0x7F ? U'\u2421' : U'\u2400' + byte);
        } else {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
    }
    return out;
}

// The record's bytes as text: without their blank fill, from the station's
// code page (on POSIX the bytes as they are, so they may still be no UTF-8).
std::string RecordText(std::string_view bytes) {
    return Utf8Text(station::CodePageToUtf8(reading::Trim(bytes)));
}

}  // namespace

station::SystemLogEntry SystemLogEntryOf(const JournalEntry& job,
                                         const std::optional<JournalAppended>& line) {
    station::SystemLogEntry entry;
    const std::string port = RecordText(job.port);
    const std::string target = RecordText(job.target);
    const std::string result = RecordText(job.result);
    const std::string prefix = port.empty() ? "" : port + ": ";
    std::string outcome;
    if (job.notWritten) {
        outcome = "not written";
        entry.level = station::LogLevel::Error;
        entry.eventId = 3;
        entry.messageId = "c05c9c9fdbb64e93a774a04e031dadf0";
        // The reason names the record's file, which tells the job's folder.
        entry.message = "result not written: " + Utf8Text(*job.notWritten);
    } else if (job.result.empty()) {
        outcome = "no reading";
        entry.level = station::LogLevel::Warning;
        entry.eventId = 2;
        entry.messageId = "724d7223e3034ddca2df6ab935fe759a";
        entry.message = prefix + "no reading (target \"" + target + "\")";
    } else {
        outcome = "reading";
        entry.eventId = 1;
        entry.messageId = "da976347e776495c929743bb1c285964";
        entry.message = prefix + "reading " + result + " (target \"" + target + "\")";
    }
    entry.fields = {{"QUILLET_OUTCOME", outcome},
                    {"QUILLET_RESULT", result},
                    {"QUILLET_TARGET", target},
                    {"QUILLET_PORT", port},
                    {"QUILLET_DEVICE", Utf8Text(job.device)},
                    {"QUILLET_DIRECTORY", Utf8Text(job.directory)},
                    {"QUILLET_USER", Utf8Text(job.user)},
                    {"QUILLET_VERSION", QUILLET_VERSION}};
    if (line) {
        entry.fields.push_back({"QUILLET_JOURNAL", Utf8Text(station::PathText(line->file))});
        if (line->seq) entry.fields.push_back({"QUILLET_SEQ", std::to_string(*line->seq)});
        entry.fields.push_back({"QUILLET_LINE_SHA256", line->sha256});
    }
    return entry;
}

void SendToSystemLog(const JournalEntry& job, const std::optional<JournalAppended>& line) noexcept {
    try {
        station::SendSystemLog(SystemLogEntryOf(job, line));
    } catch (...) {
        // The system log keeps a copy of the job, never a part of it.
    }
}

}  // namespace CalMod
