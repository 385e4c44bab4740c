// Quillet Reading Utility: started by the host calibration program with a job
// in ExtCtrl.dat; reads the meter, writes the result back and ends. The only
// command lines it answers are a lone --help or --version, which print and
// end before the exchange file or any port is touched; any other command line
// is ignored.
#include <iostream>
#include <string_view>

#include "app/cal_mod.hpp"

#ifndef QUILLET_VERSION
#error "QUILLET_VERSION must name the project version"
#endif

namespace {

constexpr const char* Help = R"(Usage: quillet-reading-utility
Takes one meter reading for the host calibration program. The host writes a
job into record 1 of ExtCtrl.dat in the working directory (the target text
naming the wanted unit, and the meter's port as COM1 to COM99) and starts the
utility there. The utility shows a small status window, asks the meter on
that port for a reading with "QM" twice, converts the second reply into the
target's unit, writes the result text back into the record and exits.

A failed reading leaves the result empty and shows "Settling...";
quillet-port-check COM<N> shows why a port gives no reading. The exit status
is 0 when the result was written into the record, 1 when it was not (the
reason then goes to standard error, and the record stays as it was).

Port COM<N> opens $XDG_CONFIG_HOME/quillet/ports/COM<N> (default
~/.config/quillet/ports), else <dir>/quillet/ports/COM<N> for each directory
of $XDG_CONFIG_DIRS (default /etc/xdg), else /dev/ttyS<N-1>.

Without a display the status text goes to standard output.

A line "journal = PATH" in $XDG_CONFIG_HOME/quillet/settings (the user's) or
<dir>/quillet/settings for a directory of $XDG_CONFIG_DIRS (the station's)
makes each job append one JSON line to PATH: the meter's bytes with their
times, the result and the outcome. Without it nothing is journalled.

  --help      show this text and exit
  --version   show the version and exit
Any other command line is ignored.
)";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        const std::string_view argument = argv[1];
        if (argument == "--help") {
            std::cout << Help;
            return 0;
        }
        if (argument == "--version") {
            std::cout << "quillet-reading-utility " QUILLET_VERSION "\n";
            return 0;
        }
    }
    CalMod::Main();
}
