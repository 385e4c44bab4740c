// Replay of a journalled job: what the meter answered to each command the
// job sent, with the times, read from a line of the utility's journal.
#pragma once

#include <string>
#include <vector>

namespace meter_sim {

struct ReplayedRead {
    double at = 0;  // seconds after the command
    std::string bytes;
};

// One answer per command, in the order the job sent them: the reads of each
// attempt of each query. An attempt that got no bytes answers nothing.
using ReplayedAnswers = std::vector<std::vector<ReplayedRead>>;

// The answers of job `job` (1 is the file's first job, one a line; 0 the
// last) of a journal file. Throws std::runtime_error naming the file and the
// job when the job is not there or its line is not a journal entry.
ReplayedAnswers LoadReplay(const std::string& file, long job);

}  // namespace meter_sim
