#include "station/system_log.hpp"

#include <cstdint>

namespace station {

const char* const SystemLogIdentifier = "quillet-reading-utility";
const char* const EventSourceName = "Quillet Reading Utility";

namespace {

const char* Priority(LogLevel level) {
    switch (level) {
    case LogLevel::Information: return "6";
    case LogLevel::Warning: return "4";
    case LogLevel::Error: return "3";
    }
    return "6";
}

// One field: NAME=value and a line feed; a value with a line feed in it as
// NAME, a line feed, its length as 64-bit little-endian, the value and a line feed.
void AppendField(std::string& out, std::string_view name, std::string_view value) {
    out += name;
    if (value.find('\n') == std::string_view::npos) {
        out += '=';
    } else {
        out += '\n';
        auto length = static_cast<std::uint64_t>(value.size());
        for (int i = 0; i < 8; ++i, length >>= 8) out += static_cast<char>(length & 0xFF);
    }
    out += value;
    out += '\n';
}

}  // namespace

std::string JournalDatagram(const SystemLogEntry& entry) {
    std::string out;
    AppendField(out, "MESSAGE", entry.message);
    AppendField(out, "MESSAGE_ID", entry.messageId);
    AppendField(out, "PRIORITY", Priority(entry.level));
    AppendField(out, "SYSLOG_IDENTIFIER", SystemLogIdentifier);
    for (const LogField& field : entry.fields) AppendField(out, field.name, field.value);
    return out;
}

std::string EventText(const SystemLogEntry& entry) {
    const auto oneLine = [](std::string text) {
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        return text;
    };
    std::string out = oneLine(entry.message) + "\r\n";
    for (const LogField& field : entry.fields) {
        std::string_view name = field.name;
        if (name.starts_with("QUILLET_")) name.remove_prefix(8);
        out += "\r\n";
        for (const char c : name) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        out += ": " + oneLine(field.value);
    }
    return out;
}

}  // namespace station
