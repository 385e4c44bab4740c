// The replay of one journalled job: a meter simulator answering as the meter
// did, the utility running the same job beside it, apart from the station.
#pragma once

#include <cstdint>
#include <string>

namespace journal_tool {

// Replays entry `seq` of the journal file and prints the journalled result
// beside the replayed one. ExitSame when they are the same, ExitDiffers when
// not, ExitTrouble when the replay cannot run (no such entry, no program to
// run it with, on Windows always).
int Replay(const std::string& file, std::uint64_t seq);

}  // namespace journal_tool
