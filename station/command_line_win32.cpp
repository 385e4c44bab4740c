// The programs at a command prompt on Windows: Windows places in --help, the slash forms
// of the help options, and the command prompt's console for a GUI program's
// texts.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "station/command_line.hpp"

namespace station {

const char* const UtilityInvocation = "\"Quillet Reading Utility.exe\"";

const char* const PortsHelp =
    R"text(Port COM<N> opens \\.\COM<N>: the port of that number on this computer, as
Device Manager lists it under "Ports (COM & LPT)".
)text";

const char* const SettingsHelp =
    R"(The settings files, the station's first (for each key the first file that
sets it wins): %ProgramData%\Quillet\settings.ini, then the user's,
%APPDATA%\Quillet\settings.ini.
)";

const char* const OutputHelp =
    R"(The status shows in a window. Standard output and standard error go where
they are redirected to, else into the command prompt the program was started
from, which does not wait for it (start /wait "" "Quillet Reading Utility.exe"
waits).
)";

const char* const HelpOptions = "--help, /?";

// Windows programs take their options in any case and with a slash as well.
bool IsHelpOption(std::string_view argument) {
    std::string lower(argument);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string_view option : {"-h", "-help", "-?", "--help", "/h", "/help", "/?"}) {
        if (lower == option) return true;
    }
    return false;
}

namespace {

bool Redirected(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Ctrl+C and Ctrl+Break in the prompt leave a job running, as they did before
// the program shared the prompt's console.
BOOL WINAPI IgnoreBreak(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

void UseParentConsole() {
    const bool output = Redirected(STD_OUTPUT_HANDLE);
    const bool error = Redirected(STD_ERROR_HANDLE);
    // Without a parent console (started by the host) nothing changes.
    if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    SetConsoleCtrlHandler(IgnoreBreak, TRUE);
    FILE* reopened = nullptr;
    if (!output) freopen_s(&reopened, "CONOUT$", "w", stdout);
    if (!error) freopen_s(&reopened, "CONOUT$", "w", stderr);
}

}  // namespace station
