// quillet-port-check: queries a meter exactly as the utility does and reports
// every step, so that a technician can see why a job ends with "Settling...".
// This file: the command line, the settings' report and the run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/port_number.hpp"
#include "app/record.hpp"
#include "meter/query.hpp"
#include "meter/recording_serial.hpp"
#include "quillet/version.hpp"
#include "reading/convert.hpp"
#include "reading/text.hpp"
#include "station/append.hpp"
#include "station/command_line.hpp"
#include "station/facts.hpp"
#include "station/settings.hpp"
#include "station/system_log.hpp"
#include "tools/common/escape.hpp"
#include "tools/port-check/probe.hpp"
#include "tools/port-check/report.hpp"

namespace {

using port_check::Line;
using tools::Visible;

// Exit statuses, one per outcome.
constexpr int ExitReading = 0;
constexpr int ExitNoReply = 1;
constexpr int ExitUsage = 2;
constexpr int ExitUnconvertible = 3;
constexpr int ExitCannotOpen = 4;
constexpr int ExitLineFailed = 5;

// The --help text: the port check's own, then the platform's places.
std::string Usage() {
    std::string text = R"(Usage: quillet-port-check COM<N> [--unit TEXT]
Queries the meter on port COM<N> (1 to 99, the ports a job can name) the way
the Quillet Reading Utility does, and reports each step: where the port number
leads, whether the device exists, whether you may open it and whether another
program holds it, both "QM" queries with their raw replies (control
characters shown as \r, \n, \t, \xHH), the time to the first byte and to the
CR, the number of attempts, and the conversion of the second reply. First it
reports what the utility's settings change: whether the journal is on, which
file set it, whether it can be written, every settings line that changes
nothing, and whether each job leaves an entry in the station's system log,
which file set that, and whether this station has a system log to take it.

  --unit TEXT   the job's target text naming the wanted unit, as the host
                writes it (for example "10.000 mV"); at most 20 characters,
                blanks at either end removed as the utility removes them.
                Without it the reading is given in the meter's base unit. A
                warning says when the meter's unit names another quantity
                (kOhms for a job in mV): the utility converts prefixes only.
)";
    const std::string helpOptions = station::HelpOptions;
    text += "  " + helpOptions + std::string(14 - helpOptions.size(), ' ') +
            "show this text and exit\n"
            "  --version     show the version and exit\n\n";
    text += station::PortsHelp;
    text += "\n";
    text += station::SettingsHelp;
    text += R"(
Exit status:
  0  a reading: the second reply converts
  1  no reply: the meter did not answer the second query
  2  bad command line
  3  a reply that cannot be converted
  4  the port cannot be opened
  5  the port opened, but writing or reading it failed
)";
    return text;
}

struct Options {
    int port = 0;
    std::string unit;
};

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "quillet-port-check: " << message << "\n"
              << "Try 'quillet-port-check --help'.\n";
    std::exit(ExitUsage);
}

Options ParseCommandLine(int argc, char** argv) {
    Options options;
    bool havePort = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (station::AnswerHelpOrVersion(argument, Usage(), "quillet-port-check " QUILLET_VERSION)) {
            std::exit(0);
        }
        if (argument == "--unit") {
            if (i + 1 >= argc) UsageError("--unit needs a text");
            options.unit = reading::Trim(argv[++i]);
            if (options.unit.size() > reading::ResultFieldWidth) {
                UsageError("--unit holds at most 20 characters");
            }
        } else if (!argument.empty() && argument[0] == '-') {
            UsageError("unknown option '" + argument + "'");
        } else if (havePort) {
            UsageError("only one port, not also '" + argument + "'");
        } else {
            const std::optional<int> port = CalMod::NamedPort(argument);
            if (!port) UsageError("'" + argument + "' is not a port from COM1 to COM99");
            options.port = *port;
            havePort = true;
        }
    }
    if (!havePort) UsageError("which port? for example: quillet-port-check COM5");
    return options;
}

// Whether the utility keeps a journal here, who said so, and whether the
// journal can be written; every settings line that changes nothing. Nothing
// invisible in the settings (a byte order mark, a NUL) is hidden.
void ReportSettings(const station::Settings& settings) {
    for (const auto& problem : settings.problems) {
        const std::string where =
            problem.line > 0 ? " line " + std::to_string(problem.line) : std::string();
        Line("Settings", tools::Printable(station::PathText(problem.file) + where + ": " +
                                          problem.what) +
                             " (changes nothing)");
    }
    if (!settings.journal) {
        Line("Journal", settings.files.empty() ? "off (no settings file)"
                                               : "off (no settings file names one)");
        return;
    }
    // The file today's job appends to: a monthly or daily journal names its date.
    const std::filesystem::path today = station::DatedJournal(
        *settings.journal, settings.journalFiles,
        station::LocalTimestamp(std::chrono::system_clock::now()));
    const std::string journal = station::PathText(today);
    Line("Journal", "on: " + tools::Printable(journal) + " (set by " +
                        tools::Printable(station::PathText(settings.journalSetBy)) + ")");
    if (settings.journalFiles != station::JournalFiles::One) {
        Line("", std::string(settings.journalFiles == station::JournalFiles::Monthly
                                 ? "a new file each month"
                                 : "a new file each day") +
                     " (set by " +
                     tools::Printable(station::PathText(settings.journalFilesSetBy)) + ")");
    }
    const std::optional<std::string> problem = station::AppendProblem(today);
    Line("", problem ? "cannot be written: " + *problem : "can be written");
    if (journal.find(" #") != std::string::npos) {
        Line("Warning", "the journal's path holds \" #\": only a line that begins with # is a "
                        "comment, so this is part of the path");
    }
}

// Whether each job leaves an entry in the station's system log, which file
// said so, and whether this station has a system log to take it.
void ReportSystemLog(const station::Settings& settings) {
    const std::string setBy =
        settings.systemLogSetBy.empty()
            ? std::string()
            : " (set by " + tools::Printable(station::PathText(settings.systemLogSetBy)) + ")";
    if (!settings.systemLog) {
        Line("System log", setBy.empty() ? "off (no station's settings file sets it)" : "off" + setBy);
        return;
    }
    const std::optional<std::string> missing = station::SystemLogMissing();
    Line("System log", (missing ? "on, but " + *missing : "on") + setBy);
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseCommandLine(argc, argv);
    const station::Settings settings = station::LoadSettings();
    ReportSettings(settings);
    ReportSystemLog(settings);

    const port_check::Probe probe = port_check::ProbePort(options.port);
    for (const auto& line : probe.lines) Line(line.label, line.text);

    meter::RecordingSerial port(meter::MakeSerialControl(), meter::SteadyClock());
    std::string reply;
    try {
        port.SetCommPort(static_cast<std::int16_t>(options.port));
        // The utility's own two queries, each reported as it ends.
        int number = 0;
        reply = meter::QueryReading(port, [&](const std::string& each) { port_check::Report(++number, port, each); });
    } catch (const meter::SerialError& error) {
        const auto events = port.TakeEvents();
        const bool opened = std::any_of(events.begin(), events.end(), [](const auto& event) {
            return event.kind == meter::SerialEvent::Kind::Open;
        });
        if (opened) {
            Line("Line", error.what());
            Line("Result", "the port opened, but the exchange with the meter failed; the utility "
                           "would show \"Settling...\"");
            return ExitLineFailed;
        }
        Line("Open", error.what());
        Line("Result", "the port cannot be opened; the utility would show \"Settling...\"");
        return ExitCannotOpen;
    }

    if (reply.empty()) {
        Line("Result", "no reply from the meter; the utility would show \"Settling...\"");
        return ExitNoReply;
    }
    const std::string unit = options.unit.empty() ? "(none: the meter's base unit)"
                                                  : Visible(options.unit);
    try {
        const std::string result = reading::ConvertReply(reply, options.unit);
        Line("Conversion", Visible(reply) + " into " + unit + " gives " + Visible(result));
        port_check::WarnOnUnitMismatch(reply, options.unit);
        Line("Result", "a reading");
        return ExitReading;
    } catch (const reading::ConversionError& error) {
        Line("Conversion", Visible(reply) + " into " + unit + " fails: " + error.what());
        Line("Result", "the reply cannot be converted; the utility would show \"Settling...\"");
        return ExitUnconvertible;
    }
}
