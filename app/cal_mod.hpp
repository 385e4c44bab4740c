// The job driver: one job from start to end, then the process ends.
#pragma once

namespace CalMod {

// Runs the job: read ExtCtrl.dat, show the status window, select the port,
// take the reading, report it, write it back, and end the process. Every step
// stands alone: a failing step is skipped silently. The exit status is 0 when
// the result text was written into the record, 1 (with one line on standard
// error naming the file and the reason) when it was not.
[[noreturn]] void Main();

}  // namespace CalMod
