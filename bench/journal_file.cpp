// Writes a journal of about SIZE bytes, chained as the job's append chains it,
// for the benchmark of the journal tool and of a job's append on a year's
// journal (bench/run). Each line is one typical job, the meter answering both
// queries at once; only its start time and chain fields change.
// usage: journal-file FILE SIZE_IN_MB
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "app/journal.hpp"
#include "station/chain.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: journal-file FILE SIZE_IN_MB\n";
        return 2;
    }
    const unsigned long long size = std::strtoull(argv[2], nullptr, 10) << 20;
    CalMod::JournalEntry job;
    job.user = "lab";
    job.host = "station";
    job.directory = "/srv/host/jobs";
    job.target = "1000 Ohms           ";
    job.port = "COM5 ";
    job.device = "/dev/ttyUSB0";
    const std::string reply = "0\r+1.2345 kOhms\r";
    for (int q = 0; q < 2; ++q) {
        job.queries.push_back({"", {{0, "QM\r", {{0.1, reply}}}}});
        job.replies.push_back(reply);
    }
    job.result = "1234.5Ohms";
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    std::string last;
    unsigned long long written = 0, lines = 0;
    while (written < size) {
        char start[40];
        const unsigned long long minute = lines % (60ULL * 24 * 28);
        std::snprintf(start, sizeof start, "2026-12-%02lluT%02llu:%02llu:00.000+01:00", 1 + minute / 1440,
                      minute / 60 % 24, minute % 60);
        job.start = start;
        const station::Link link = station::NextLink(
            lines ? std::optional<std::string_view>(last) : std::nullopt, [&] { return lines; });
        last = station::ChainedLine(link, true, CalMod::JournalLine(job));
        out << last;
        written += last.size();
        last.pop_back();
        ++lines;
    }
    std::cout << lines << "\n";
    return out ? 0 : 1;
}
