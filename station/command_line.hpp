// The programs at a command prompt, the platform's way
// (command_line_posix.cpp, command_line_win32.cpp): the parts of --help that
// name the platform's places, the help options, and where a program's texts
// go.
#pragma once

#include <string>
#include <string_view>

namespace station {

// How a command line names the reading utility.
extern const char* const UtilityInvocation;
// Paragraphs of --help, each ending in a line end: where port COM<N> leads,
// where the settings files are, and where the utility's texts go.
extern const char* const PortsHelp;
extern const char* const SettingsHelp;
extern const char* const OutputHelp;
// The help options as --help lists them: "-h, --help", on Windows "--help, /?".
extern const char* const HelpOptions;

// A command-line argument that asks for the help: -h, -help, -? or --help; on
// Windows also /h, /help and /?, each in any case.
bool IsHelpOption(std::string_view argument);

// For a help option prints `help`, for --version the version line
// ("quillet-port-check 1.0.0"); whether it did, the program then ending with
// status 0.
bool AnswerHelpOrVersion(std::string_view argument, const std::string& help,
                         const std::string& versionLine);

// Windows: a GUI program started from a command prompt writes into that
// prompt what would otherwise be lost, its standard output and standard error
// where they are not redirected. POSIX: nothing to do.
void UseParentConsole();

}  // namespace station
