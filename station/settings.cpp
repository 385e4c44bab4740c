#include "station/settings.hpp"

#include <fstream>
#include <iterator>
#include <system_error>

#include "station/facts.hpp"
#include "station/utf8.hpp"
#include "station/config_dirs.hpp"

namespace station {

namespace {

std::string_view TrimSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Keys are compared as Windows compares INI keys: letters in either case.
bool SameKey(std::string_view key, std::string_view known) {
    if (key.size() != known.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i] >= 'A' && key[i] <= 'Z' ? static_cast<char>(key[i] - 'A' + 'a') : key[i];
        if (c != known[i]) return false;
    }
    return true;
}

// A path as the settings text writes it: UTF-8.
std::filesystem::path PathFromText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// UTF-16 after its byte order mark; a lone surrogate becomes U+FFFD.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

// `system log = on|off`, from the station's file only: a user's line would
// let one account keep its jobs out of the lab's central log.
void SystemLogLine(std::string_view value, const std::filesystem::path& file, int number,
                   bool userFile, Settings& settings) {
    if (userFile) {
        settings.problems.push_back({file, number, "only the station's file sets this"});
        return;
    }
    const bool on = SameKey(value, "on");
    if (!on && !SameKey(value, "off")) {
        settings.problems.push_back({file, number, "system log is on or off, not '" +
                                                       std::string(value) + "'"});
    } else if (settings.systemLogSetBy.empty()) {
        settings.systemLog = on;
        settings.systemLogSetBy = file;
    }
}

}  // namespace

std::string SettingsText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return FromUtf16(bytes.substr(2), true);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) return CodePageToUtf8(bytes);
        i += length;
    }
    return std::string(bytes);
}

void ReadSettings(std::string_view text, const std::filesystem::path& file, Settings& settings,
                  bool userFile) {
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimSpace(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        // Only a whole line is a comment: a Windows path may hold '#'.
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            settings.problems.push_back({file, number, "no '=' in the line"});
            continue;
        }
        const std::string_view key = TrimSpace(line.substr(0, equals));
        const std::string_view value = TrimSpace(line.substr(equals + 1));
        if (SameKey(key, "system log")) {
            SystemLogLine(value, file, number, userFile, settings);
        } else if (!SameKey(key, "journal")) {
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
        for (const ConfigDirectory& dir : ConfigDirectories()) {
            const std::filesystem::path file = dir.path / SettingsFileName;
            std::error_code error;
            if (!std::filesystem::is_regular_file(file, error)) continue;
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            if (!in.good() && !in.eof()) {
                settings.problems.push_back({file, 0, "cannot be read"});
                continue;
            }
            settings.files.push_back(file);
            ReadSettings(SettingsText(bytes), file, settings, dir.user);
        }
    } catch (const std::exception& error) {
        settings.problems.push_back({{}, 0, error.what()});
    }
    return settings;
}

}  // namespace station
