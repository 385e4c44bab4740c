// Replay of a journalled job: what the meter answered to each command the
// job sent, with the times, read from a line of the utility's journal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace meter_sim {

struct ReplayedRead {
    double at = 0;  // seconds after the command
    std::string bytes;
};

// One answer per command, in the order the job sent them: the reads of each
// attempt of each query. An attempt that got no bytes answers nothing.
using ReplayedAnswers = std::vector<std::vector<ReplayedRead>>;

// The answers of one journal line. The line is read as JSON by its meaning: a
// read's "bytes" is a string whose every character is at most U+00FF and
// stands for the byte of its code, whether written as a \u escape or as
// UTF-8. Only the fields the answers need are checked, nothing else.
// Throws std::runtime_error, one line, when the line is not JSON or not of a
// journal entry's shape; a field of the wrong kind is named by its path
// (queries[1].attempts[0].reads[0].bytes: ...).
ReplayedAnswers ParseReplay(std::string_view line);

// The answers of job `job` (1 is the file's first job, one a line; 0 the
// last) of a journal file. Throws std::runtime_error naming the file and the
// job when the job is not there or its line is not a journal entry.
ReplayedAnswers LoadReplay(const std::string& file, long job);

}  // namespace meter_sim
