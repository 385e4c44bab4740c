#include "app/settings.hpp"

#include <fstream>
#include <iterator>
#include <system_error>

#include "meter/config_dirs.hpp"

namespace CalMod {

namespace {

std::string_view TrimSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A path as the settings file writes it: UTF-8 text.
std::filesystem::path PathFromText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace

void ReadSettings(std::string_view text, const std::filesystem::path& file, Settings& settings) {
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimSpace(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            settings.problems.push_back({file, number, "no '=' in the line"});
            continue;
        }
        const std::string_view key = TrimSpace(line.substr(0, equals));
        const std::string_view value = TrimSpace(line.substr(equals + 1));
        if (key != "journal") {
            settings.problems.push_back({file, number, "unknown key '" + std::string(key) + "'"});
        } else if (value.empty()) {
            settings.problems.push_back({file, number, "journal needs a file"});
        } else if (!settings.journal) {
            settings.journal = file.parent_path() / PathFromText(value);
            settings.journalSetBy = file;
        }
    }
}

Settings LoadSettings() {
    Settings settings;
    try {
        for (const meter::ConfigDirectory& dir : meter::ConfigDirectories()) {
            const std::filesystem::path file = dir.path / meter::SettingsFileName;
            std::error_code error;
            if (!std::filesystem::is_regular_file(file, error)) continue;
            std::ifstream in(file, std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), {}};
            if (!in.good() && !in.eof()) {
                settings.problems.push_back({file, 0, "cannot be read"});
                continue;
            }
            settings.files.push_back(file);
            ReadSettings(text, file, settings);
        }
    } catch (const std::exception& error) {
        settings.problems.push_back({{}, 0, error.what()});
    }
    return settings;
}

}  // namespace CalMod
