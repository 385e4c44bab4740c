// The job's journal: with `journal = PATH` in the station's settings, each job
// appends one line of JSON to PATH at its end: who ran it where and when, the
// record's target and port, every byte the meter sent with its time, the
// result, and whether it reached the record. Off by default; whatever happens
// to the journal changes nothing in the job.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "meter/recording_serial.hpp"

namespace CalMod {

// Everything a journal line holds.
struct JournalEntry {
    std::string start;    // ISO 8601 local time with offset
    double seconds = 0;   // how long the job took
    std::string user, host, directory;
    std::string target, port;  // the record's fields, as stored
    std::string device;        // what the port resolved to
    bool display = false;      // whether the window was on a display
    std::vector<meter::QueryTrace> queries;
    std::vector<std::string> replies;  // each query's collected reply
    std::string result;  // what the record's field got, without its fill
    std::optional<std::string> notWritten;  // why the result did not reach the record
};

// The entry as one line of JSON ending in a line feed. Bytes from the record
// and the meter are kept whole: printable ASCII as itself (" and \ escaped),
// every other byte as \u00XX of its value.
std::string JournalLine(const JournalEntry& entry);

class Journal {
public:
    // Reads the settings. When they name a journal, MainForm's serial control
    // records every byte and its time from its first use on. Nothing when the
    // journal is off: the job then runs exactly as without this.
    static std::unique_ptr<Journal> Start();

    // Where TakeReading adds each query's reply.
    std::vector<std::string>* Replies() { return &replies_; }

    // Appends the job's line. Never throws; a journal that cannot be written
    // leaves the job's result, status and record as they are.
    void Finish(const std::string& result, const std::optional<std::string>& notWritten) noexcept;

private:
    explicit Journal(std::filesystem::path file) : file_(std::move(file)) {}

    std::filesystem::path file_;
    std::chrono::system_clock::time_point start_ = std::chrono::system_clock::now();
    double started_ = 0;
    meter::RecordingSerial* recorder_ = nullptr;  // owned by MainForm, once it exists
    std::vector<std::string> replies_;
};

}  // namespace CalMod
