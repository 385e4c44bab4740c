// The Application event log: one event a job from the source "Quillet Reading
// Utility", its one insertion string the entry's text. The installer
// registers the source with EventCreate.exe's message table, whose messages
// 1 to 1000 show their insertion string as it is.
#include <windows.h>

#include "station/system_log.hpp"
#include "station/wide_text_win32.hpp"

namespace station {

namespace {

const wchar_t* const SourceKey =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quillet Reading Utility";

WORD EventType(LogLevel level) {
    switch (level) {
    case LogLevel::Information: return EVENTLOG_INFORMATION_TYPE;
    case LogLevel::Warning: return EVENTLOG_WARNING_TYPE;
    case LogLevel::Error: return EVENTLOG_ERROR_TYPE;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

bool SendSystemLog(const SystemLogEntry& entry) noexcept {
    try {
        const std::wstring source = WideFromUtf8(EventSourceName);
        const std::wstring text = WideFromUtf8(EventText(entry));
        HANDLE log = RegisterEventSourceW(nullptr, source.c_str());
        if (!log) return false;
        LPCWSTR strings[] = {text.c_str()};
        const BOOL reported = ReportEventW(log, EventType(entry.level), 0, entry.eventId, nullptr,
                                           1, 0, strings, nullptr);
        DeregisterEventSource(log);
        return reported != FALSE;
    } catch (...) {
        return false;
    }
}

std::optional<std::string> SystemLogMissing() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SourceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "the event source is not registered on this station (Event Viewer shows no "
               "text for its events)";
    }
    RegCloseKey(key);
    return std::nullopt;
}

}  // namespace station
