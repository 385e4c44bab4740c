// Quillet Reading Utility: started by the host calibration program with a job
// in ExtCtrl.dat; reads the meter, writes the result back and ends. The only
// command lines it answers are a lone help option (-h, --help and their
// kin, station::IsHelpOption) or --version, which print and end before the
// exchange file or any port is touched; any other command line is ignored,
// because the host may pass arguments that the utility never read.
#include <iostream>
#include <string>
#include <string_view>

#include "app/cal_mod.hpp"
#include "quillet/version.hpp"
#include "station/command_line.hpp"

namespace {

// The --help text: what the utility does, then the platform's places.
std::string Help() {
    std::string text = std::string("Usage: ") + station::UtilityInvocation + R"(
Takes one meter reading for the host calibration program. The host writes a
job into record 1 of ExtCtrl.dat in the working directory (the target text
naming the wanted unit, and the meter's port as COM1 to COM99) and starts the
utility there. The utility shows a small status window, asks the meter on
that port for a reading with "QM" twice, converts the second reply into the
target's unit, writes the result text back into the record and exits.

A failed reading leaves the result empty and shows "Settling...";
quillet-port-check COM<N> shows why a port gives no reading.

)";
    text += station::PortsHelp;
    text += "\n";
    text += station::OutputHelp;
    text += "\n";
    text += station::SettingsHelp;
    text += R"(A line "journal = PATH" in one of them makes each job append one JSON line
to PATH: the meter's bytes with their times, the result and the outcome.
Without it nothing is journalled.

)";
    const std::string helpOptions = station::HelpOptions;
    text += "  " + helpOptions + std::string(12 - helpOptions.size(), ' ') +
            "show this text and exit\n"
            "  --version   show the version and exit\n"
            "Any other command line is ignored.\n"
            R"(
Exit status:
  0  the result was written into the record (an empty result: no reading)
  1  the result was not written: the record is as it was, and the reason
     went to standard error
A job that was killed or crashed has no exit status of its own (a shell
shows 128 plus the signal's number); take its result as not written. A job
ended by SIGTERM leaves the record as it was or wholly written, never half.
)";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    station::UseParentConsole();
    if (argc == 2) {
        if (station::AnswerHelpOrVersion(argv[1], Help(), "quillet-reading-utility " QUILLET_VERSION)) {
            return 0;
        }
    }
    CalMod::Main();
}
