#include "tools/journal/command_line.hpp"

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "app/port_number.hpp"
#include "quillet/version.hpp"
#include "station/command_line.hpp"

namespace journal_tool {

namespace {

std::string Usage() {
    const std::string helpOptions = station::HelpOptions;
    return R"(Usage: quillet-journal verify FILE...
  or:  quillet-journal show FILE... [OPTION]...
  or:  quillet-journal replay FILE --seq N
Checks, searches and replays the journal of the Quillet Reading Utility: one
line of JSON per job, each naming its place in its file ("seq") and the
SHA-256 of the line before it ("prev").

verify prints one line per file: "journal.jsonl: 4211 entries, whole", or the
first line whose own check fails and what is wrong: an altered line (a line
changed shows as the next line's "prev"), a missing line, lines out of order,
a torn line, a blank line, a line that is no entry, an unchained line ("seq":
null) or a line from before the chain (no "seq"). The chain cannot show a file
cut short at its end, nor its last line altered: a copy of each line's hash
kept elsewhere, such as the lab's central log, can.

show prints the entries that match every OPTION given, one line per job
(start, seq, port, target, result, outcome), or the lines as they are with
--json. With several files each line begins with its file.
  --seq N          the entry with that seq, in each file
  --last           only the last matching entry of all the files
  --since TIME     entries that started at TIME or later
  --until TIME     entries that started before TIME
  --port COM<N>    entries of that port: 5, COM5 and "COM 5" are the same
  --outcome WHAT   reading, no-reading or not-written
  --json           the journal's lines themselves
TIME is ISO 8601: a date (2026-12-10, its midnight) or a date and time
(2026-12-10T14:30:05), with an offset (Z, +01:00) or without one (the
station's local time). Times compare as instants, whatever their offsets.

replay runs the job of entry N again, on Linux: a meter simulator answers as
the meter did, on the port the entry names, and the utility runs the job in a
configuration folder that quillet-journal makes and removes, so the user's
port map and settings are not used and nothing is journalled. The utility
reads the station's own folder whatever the environment says: where that
folder maps the entry's port, keeps a journal or sends to the system log,
replay refuses to run
(replay a copy of the journal at a desk). It prints the journalled result
beside the replayed one. quillet-meter-sim and the utility are taken
from quillet-journal's own folder, else from the PATH.

  )" + helpOptions + std::string(helpOptions.size() < 17 ? 17 - helpOptions.size() : 1, ' ') +
           R"(show this text and exit
  --version        show the version and exit

Exit status:
  0  verify: every file whole; show: an entry matched; replay: the same result
  1  verify: a file not whole; show: no entry matched; replay: another result
  2  a file cannot be read, a bad command line, or the replay cannot run
)";
}

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "quillet-journal: " << message << "\n"
              << "Try 'quillet-journal --help'.\n";
    std::exit(ExitTrouble);
}

std::uint64_t SeqValue(std::string_view text) {
    std::uint64_t seq = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seq);
    if (error != std::errc{} || end != text.data() + text.size() || seq == 0) {
        UsageError("--seq needs a whole number from 1, not '" + std::string(text) + "'");
    }
    return seq;
}

Instant TimeValue(const std::string& option, const std::string& text) {
    const std::optional<Instant> instant = ParseInstant(text);
    if (!instant) {
        UsageError(option + " needs an ISO 8601 date or time, such as 2026-12-10 or "
                            "2026-12-10T14:30+01:00, not '" + text + "'");
    }
    return *instant;
}

std::string OutcomeValue(const std::string& text) {
    for (const char* outcome : {"reading", "no reading", "not written"}) {
        std::string dashed = outcome;
        if (dashed.find(' ') != std::string::npos) dashed[dashed.find(' ')] = '-';
        if (text == dashed || text == outcome) return outcome;
    }
    UsageError("--outcome is reading, no-reading or not-written, not '" + text + "'");
}

}  // namespace

Command ParseCommandLine(int argc, char** argv) {
    Command command;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (station::AnswerHelpOrVersion(argument, Usage(), "quillet-journal " QUILLET_VERSION)) {
            std::exit(0);
        }
    }
    if (arguments.empty()) UsageError("verify, show or replay?");
    const std::string& action = arguments[0];
    if (action == "verify") {
        command.action = Command::Action::Verify;
    } else if (action == "show") {
        command.action = Command::Action::Show;
    } else if (action == "replay") {
        command.action = Command::Action::Replay;
    } else {
        UsageError("'" + action + "' is not verify, show or replay");
    }
    const bool show = command.action == Command::Action::Show;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const bool takesValue = option == "--seq" || (show && (option == "--since" || option == "--until" ||
                                                               option == "--port" || option == "--outcome"));
        if (takesValue && i + 1 >= arguments.size()) UsageError(option + " needs a value");
        const std::string value = takesValue ? arguments[++i] : std::string();
        if (option == "--seq" && command.action != Command::Action::Verify) {
            command.filter.seq = SeqValue(value);
        } else if (show && option == "--since") {
            command.filter.since = TimeValue(option, value);
        } else if (show && option == "--until") {
            command.filter.until = TimeValue(option, value);
        } else if (show && option == "--port") {
            command.filter.port = CalMod::NamedPort(value);
            if (!command.filter.port) UsageError("'" + value + "' is not a port from COM1 to COM99");
        } else if (show && option == "--outcome") {
            command.filter.outcome = OutcomeValue(value);
        } else if (show && option == "--last") {
            command.last = true;
        } else if (show && option == "--json") {
            command.json = true;
        } else if (option.size() > 1 && option[0] == '-') {
            UsageError("'" + option + "' is no option of " + action);
        } else {
            command.files.push_back(option);
        }
    }
    if (command.files.empty()) UsageError(action + " needs a journal file");
    if (command.action == Command::Action::Replay) {
        if (command.files.size() > 1) UsageError("replay takes one journal file");
        if (!command.filter.seq) UsageError("replay needs --seq N, the entry's seq");
    }
    return command;
}

}  // namespace journal_tool
