#include <cstdlib>

#include "station/config_dirs.hpp"

namespace station {

const char* const SettingsFileName = "settings.ini";

std::vector<ConfigDirectory> ConfigDirectories() {
    std::vector<ConfigDirectory> found;
    // Wide lookups: a profile path may hold characters the ANSI code page lacks.
    if (const wchar_t* user = _wgetenv(L"APPDATA"); user && user[0] != L'\0') {
        found.push_back({std::filesystem::path(user) / L"Quillet", true});
    }
    if (const wchar_t* station = _wgetenv(L"ProgramData"); station && station[0] != L'\0') {
        found.push_back({std::filesystem::path(station) / L"Quillet"});
    }
    return found;
}

}  // namespace station
