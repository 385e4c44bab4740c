// quillet-journal: checks a station's journal files (verify), finds the
// entries a lab asks for (show), and runs one journalled job again (replay).
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "tools/journal/command_line.hpp"
#include "tools/journal/replay.hpp"
#include "tools/journal/show.hpp"
#include "tools/journal/verify.hpp"

namespace {

using namespace journal_tool;

void Unreadable(const std::string& file, const std::string& why) {
    std::cerr << "quillet-journal: " << file << ": cannot be read" << (why.empty() ? "" : ": " + why)
              << "\n";
}

// One line per file; the worst of them decides the exit status.
int VerifyFiles(const std::vector<std::string>& files) {
    bool unreadable = false, broken = false;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        try {
            if (!in) throw std::runtime_error("");
            const Verdict verdict = Verify(in);
            std::cout << VerdictLine(file, verdict) << std::endl;
            broken = broken || verdict.fault.has_value();
        } catch (const std::runtime_error& error) {
            Unreadable(file, error.what());
            unreadable = true;
        }
    }
    return unreadable ? ExitTrouble : broken ? ExitDiffers : ExitSame;
}

int ShowFiles(const Command& command) {
    const bool named = command.files.size() > 1;
    bool unreadable = false, matched = false;
    std::optional<std::string> last;
    for (const std::string& file : command.files) {
        const std::string prefix = named ? file + ": " : "";
        std::ifstream in(file, std::ios::binary);
        try {
            if (!in) throw std::runtime_error("");
            const std::uint64_t passedOver = ForEachMatch(in, command.filter, [&](const std::string& line,
                                                                                  const Entry& entry) {
                matched = true;
                std::string shown = prefix + (command.json ? line : Summary(entry));
                if (command.last) {
                    last = std::move(shown);
                } else {
                    std::cout << shown << '\n';
                }
            });
            if (passedOver > 0) {
                std::cerr << "quillet-journal: " << file << ": " << passedOver
                          << (passedOver == 1 ? " line that is no entry" : " lines that are no entry")
                          << " passed over (quillet-journal verify names the first)\n";
            }
        } catch (const std::runtime_error& error) {
            Unreadable(file, error.what());
            unreadable = true;
        }
    }
    if (last) std::cout << *last << '\n';
    std::cout.flush();
    return unreadable ? ExitTrouble : matched ? ExitSame : ExitDiffers;
}

}  // namespace

int main(int argc, char** argv) {
    const Command command = ParseCommandLine(argc, argv);
    switch (command.action) {
        case Command::Action::Verify: return VerifyFiles(command.files);
        case Command::Action::Show: return ShowFiles(command);
        case Command::Action::Replay: return Replay(command.files.front(), *command.filter.seq);
    }
    return ExitTrouble;
}
