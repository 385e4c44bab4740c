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

// %NAME% replaced by the variable's value where the platform's paths do so;
// an unset one stays as written, and is a problem of the line.
std::string Expanded(std::string_view text, std::vector<std::string>& unset) {
    if (!SettingsExpandVariables) return std::string(text);
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find('%', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::string name(text.substr(open + 1, close - open - 1));
        const std::optional<std::string> value =
            name.empty() ? std::nullopt : EnvironmentText(name);
        if (!value && !name.empty()) unset.push_back(name);
        out += value ? *value : std::string(text.substr(open, close - open + 1));
        at = close + 1;
    }
    return out;
}

std::optional<JournalFiles> JournalFilesNamed(std::string_view value) {
    if (SameKey(value, "one")) return JournalFiles::One;
    if (SameKey(value, "monthly")) return JournalFiles::Monthly;
    if (SameKey(value, "daily")) return JournalFiles::Daily;
    return std::nullopt;
}

}  // namespace

std::filesystem::path DatedJournal(const std::filesystem::path& journal, JournalFiles files,
                                   std::string_view date) {
    if (files == JournalFiles::One) return journal;
    const std::string_view dated = date.substr(0, files == JournalFiles::Monthly ? 7 : 10);
    std::filesystem::path name = journal.filename().stem();
    name += "-";
    name += std::filesystem::path(std::u8string(dated.begin(), dated.end()));
    name += journal.filename().extension();
    return journal.parent_path() / name;
}

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
        const auto problem = [&](std::string what) {
            settings.problems.push_back({file, number, std::move(what)});
        };
        // A later file's line for a key an earlier one set changes nothing:
        // the station's file holds over the user's.
        const auto taken = [&](const std::filesystem::path& by) {
            if (by.empty()) return false;
            problem("already set by " + PathText(by));
            return true;
        };
        if (SameKey(key, "system log")) {
            // From the station's file only: a user's line would let one
            // account keep its jobs out of the lab's central log.
            const bool on = SameKey(value, "on");
            if (userFile) {
                problem("only the station's file sets this");
            } else if (!on && !SameKey(value, "off")) {
                problem("system log is on or off, not '" + std::string(value) + "'");
            } else if (!taken(settings.systemLogSetBy)) {
                settings.systemLog = on;
                settings.systemLogSetBy = file;
            }
        } else if (SameKey(key, "journal files")) {
            const std::optional<JournalFiles> files = JournalFilesNamed(value);
            if (!files) {
                problem("journal files is one, monthly or daily");
            } else if (!taken(settings.journalFilesSetBy)) {
                settings.journalFiles = *files;
                settings.journalFilesSetBy = file;
            }
        } else if (!SameKey(key, "journal")) {
            problem("unknown key '" + std::string(key) + "'");
        } else if (value.empty()) {
            problem("journal needs a file");
        } else if (!taken(settings.journalSetBy)) {
            std::vector<std::string> unset;
            settings.journal = file.parent_path() / PathFromText(Expanded(value, unset));
            settings.journalSetBy = file;
            for (const std::string& name : unset) {
                problem("%" + name + "% is not set, so the journal's path keeps it as written");
            }
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
