// The station's system log, where the lab's own collectors pick up every job:
// the systemd journal on Linux, the Application event log on Windows. An
// entry is a sentence, a level and named fields; how each system log takes it
// is formatted here as plain text, so that it can be checked anywhere, and
// sent by the platform's backend (system_log_posix.cpp: one datagram of the
// journal's native protocol; system_log_win32.cpp: ReportEventW).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

enum class LogLevel { Information, Warning, Error };

struct LogField {
    std::string name;   // the journal's field name: QUILLET_PORT
    std::string value;  // UTF-8 text
};

struct SystemLogEntry {
    LogLevel level = LogLevel::Information;
    unsigned eventId = 0;   // the Windows event ID
    std::string messageId;  // the journal's MESSAGE_ID: 32 lower-case hex digits
    std::string message;    // one sentence, UTF-8
    std::vector<LogField> fields;
};

// SYSLOG_IDENTIFIER in the journal, and the event source on Windows.
extern const char* const SystemLogIdentifier;
extern const char* const EventSourceName;

// The entry in the journal's native protocol: MESSAGE, MESSAGE_ID, PRIORITY
// (6 information, 4 warning, 3 error), SYSLOG_IDENTIFIER, then the fields.
// A value holding a line feed goes in the protocol's counted form.
std::string JournalDatagram(const SystemLogEntry& entry);

// The event's one insertion string: the sentence, a blank line, then one
// `name: value` line a field, the name in lower case without its QUILLET_
// prefix; CR LF line ends, and a line break inside a value becomes a space.
std::string EventText(const SystemLogEntry& entry);

// Sends the entry to the station's system log. Never throws and never waits
// for the log: false when there is none, or it is full, or it refused.
bool SendSystemLog(const SystemLogEntry& entry) noexcept;

// Why an entry sent from here would reach no system log, for the port check:
// nothing when it would reach one.
std::optional<std::string> SystemLogMissing();

}  // namespace station
