#include "tools/host-sim/options.hpp"

#include <cstdlib>
#include <iostream>

#include "app/record.hpp"
#include "quillet/version.hpp"

namespace fs = std::filesystem;

namespace host_sim {

const char* const Usage =
    "Usage: quillet-host-sim --port COM<N> [OPTION]...\n"
    "  or:  quillet-host-sim --show [FILE]\n"
    "Does what the host calibration program does around one job: prepares a job\n"
    "in DIR/ExtCtrl.dat, starts the utility in DIR, waits for it and reports the\n"
    "record it wrote back. --show prints every field of an existing record\n"
    "(default ./ExtCtrl.dat), control characters and bytes above 126 as \\xHH.\n"
    "\n"
    "  --port NAME      serial port of the meter, written into the job (required)\n"
    "  --dir DIR        directory of the job, made when missing (default: the\n"
    "                   current directory)\n"
    "  --target TEXT    target text naming the wanted unit (default: 1000 Ohms)\n"
    "  --utility PATH   the utility to start (default: the one beside host-sim)\n"
    "  --port-dir PORTS run the utility with the folder PORTS as its only port\n"
    "                   map (COM<N> opens PORTS/COM<N>) and no settings file at\n"
    "                   all, so that it reads neither the user's nor the\n"
    "                   station's and keeps no journal. Waits up to 10 s for\n"
    "                   PORTS to hold an entry, such as the one that\n"
    "                   quillet-meter-sim --port-dir PORTS makes\n"
    "  --force          overwrite an existing DIR/ExtCtrl.dat\n"
    "  --help           show this text and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Exit status: 0 a reading came back, 1 no reading, 2 bad command line, an\n"
    "existing ExtCtrl.dat without --force or no entry in PORTS after 10 s,\n"
    "3 record damaged, 4 the utility could not be started, did not end normally\n"
    "or did not write its result.\n";

std::optional<Options> ParseCommandLine(int argc, char** argv) {
    Options options;
    options.utility =
        (fs::canonical("/proc/self/exe").parent_path() / QUILLET_UTILITY_NAME).string();
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") return std::nullopt;
        if (option == "--version") {
            std::cout << "quillet-host-sim " QUILLET_VERSION "\n";
            std::exit(0);
        }
        if (option == "--show") {
            if (i + 2 < argc) throw UsageError("--show takes at most one file");
            options.show = i + 1 < argc ? fs::path(argv[i + 1]) : fs::path(CalMod::ExchangeFileName);
            return options;
        }
        if (option == "--force") {
            options.force = true;
            continue;
        }
        if (i + 1 >= argc) throw UsageError("unknown option or missing value: " + option);
        const std::string value = argv[++i];
        if (option == "--dir") {
            options.dir = value;
        } else if (option == "--target") {
            options.target = value;
        } else if (option == "--port") {
            options.port = value;
        } else if (option == "--utility") {
            options.utility = value;
        } else if (option == "--port-dir") {
            options.portDir = value;
        } else {
            throw UsageError("unknown option: " + option);
        }
    }
    if (options.port.empty()) throw UsageError("--port is required, for example --port COM5");
    if (options.target.size() > 20) throw UsageError("--target holds at most 20 characters");
    if (options.port.size() > 5) throw UsageError("--port holds at most 5 characters");
    return options;
}

}  // namespace host_sim
