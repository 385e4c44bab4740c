// The configuration folders on Windows: the ProgramData known folder, then the
// user's %APPDATA%; %NAME% in a settings path is expanded as Windows does.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

#include "station/config_dirs.hpp"
#include "station/wide_text_win32.hpp"

namespace station {

const char* const SettingsFileName = "settings.ini";
const bool SettingsExpandVariables = true;

std::optional<std::string> EnvironmentText(const std::string& name) {
    const wchar_t* value = _wgetenv(WideFromUtf8(name).c_str());
    if (!value) return std::nullopt;
    return Utf8FromWide(value);
}

std::vector<ConfigDirectory> ConfigDirectories() {
    std::vector<ConfigDirectory> found;
    // The station's folder from the system, not from %ProgramData%, which any
    // account may set to a folder of its own.
    PWSTR station = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &station) == S_OK) {
        found.push_back({std::filesystem::path(station) / L"Quillet"});
    }
    CoTaskMemFree(station);
    // Wide lookups: a profile path may hold characters the ANSI code page lacks.
    if (const wchar_t* user = _wgetenv(L"APPDATA"); user && user[0] != L'\0') {
        found.push_back({std::filesystem::path(user) / L"Quillet", true});
    }
    return found;
}

}  // namespace station
