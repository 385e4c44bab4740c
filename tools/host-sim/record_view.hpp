// How host-sim shows a record: every field of a record file (--show), and the
// fields the utility may write back after a job.
#pragma once

#include <filesystem>

#include "app/record.hpp"

namespace host_sim {

// Prints every field of the record in the file; ExitDamaged when the file is
// not one whole record, ExitUsage when it cannot be read.
int ShowRecord(const std::filesystem::path& file);

// Prints the result text, the two numbers the utility writes and whether
// every other field came back as it was sent.
void ReportWriteBack(const CalMod::ExtCtrlRec& got, bool intact);

}  // namespace host_sim
