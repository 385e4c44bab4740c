// The job's entry in the station's system log: with `system log = on` in the
// station's settings, each job ends, after its record and its journal line,
// with one entry there, so that the lab's own collectors keep a copy of every
// job and of its journal line's hash. The entry is formatted here from the
// facts the journal gathered; station/system_log.hpp sends it. Whatever
// happens to it changes nothing in the job.
#pragma once

#include <optional>

#include "app/journal.hpp"
#include "station/system_log.hpp"

namespace CalMod {

// The job's outcome, its level and its ids: a reading (information, event 1),
// no reading (warning, event 2), a result not written (error, event 3). The
// sentence names the port, the result and the target, or why the result was
// not written (the reason names the record's file). The fields: QUILLET_OUTCOME, _RESULT, _TARGET, _PORT, _DEVICE,
// _DIRECTORY, _USER, _VERSION, and with a journal line QUILLET_JOURNAL, _SEQ
// (when the line has one) and _LINE_SHA256. Values are UTF-8: the record's
// bytes decoded from the station's code page, target and port without their
// blank fill.
station::SystemLogEntry SystemLogEntryOf(const JournalEntry& job,
                                         const std::optional<JournalAppended>& line);

// Sends the job's entry. Never throws.
void SendToSystemLog(const JournalEntry& job, const std::optional<JournalAppended>& line) noexcept;

}  // namespace CalMod
