// The Application event log: one event a job from the source "Quillet Reading
// Utility", its one insertion string the entry's text. The installer
// registers the source with EventCreate.exe's message table, whose messages
// 1 to 1000 show their insertion string as it is.
#include <windows.h>

#include <memory>
#include <string>

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

// What the reporting thread needs; it owns this once it runs.
struct Report {
    std::wstring source, text;
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = 0;
};

DWORD WINAPI SendReport(LPVOID data) {
    const std::unique_ptr<Report> report(static_cast<Report*>(data));
    HANDLE log = RegisterEventSourceW(nullptr, report->source.c_str());
    if (!log) return 1;
    LPCWSTR strings[] = {report->text.c_str()};
    const BOOL reported =
        ReportEventW(log, report->type, 0, report->id, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(log);
    return reported ? 0 : 1;
}

}  // namespace

bool SendSystemLog(const SystemLogEntry& entry) noexcept {
    try {
        auto report = std::make_unique<Report>(Report{
            WideFromUtf8(EventSourceName), WideFromUtf8(EventText(entry)), EventType(entry.level),
            entry.eventId});
        // The event log is a service, reached by RPC: one that is busy or hung
        // holds the job for 100 ms at most. Then the job goes on, and its end
        // takes the thread with it.
        HANDLE thread = CreateThread(nullptr, 0, SendReport, report.get(), 0, nullptr);
        if (!thread) return false;
        report.release();
        DWORD status = 1;
        const bool ended = WaitForSingleObject(thread, 100) == WAIT_OBJECT_0 &&
                           GetExitCodeThread(thread, &status);
        CloseHandle(thread);
        return ended && status == 0;
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
