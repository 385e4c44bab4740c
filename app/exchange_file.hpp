// The exchange file ExtCtrl.dat in the job's directory: the job's record read
// once at the start and written back once at the end, and a write that fails
// part-way put back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/record.hpp"

namespace CalMod {

// The job, read once at the start and written back once at the end.
extern ExtCtrlRec JobRec;
extern std::string TargetText;  // record's TargetText, trimmed of blanks
extern std::string PortName;    // record's PortName, trimmed of blanks

// Reads record 1 of ExtCtrl.dat in the current directory into JobRec and sets
// TargetText and PortName. A missing file is created empty; each failing step
// is skipped silently (JobRec then keeps zero fields).
void ReadJob();

// The part of a result text that the record's result field keeps: its first
// 20 characters.
std::string_view StoredResult(std::string_view resultText);

// Puts the result text into JobRec (spaces-filled or cut to 20), sets Number14
// and Number15 to 0, and writes JobRec over record 1. Bytes beyond the record
// stay as they are. Only a file that ReadJob read (or created) is written: the
// record then changes in its result fields alone. Returns why the result did
// not reach the file (naming the file and the system's reason), or nothing
// when it did; a write that fails part-way puts back the bytes it overwrote.
[[nodiscard]] std::optional<std::string> WriteResultBack(std::string_view resultText);

}  // namespace CalMod
