#include "app/journal.hpp"

#include <array>
#include <charconv>
#include <cstdio>
#include <exception>

#include "station/append.hpp"
#include "station/utf8.hpp"

#ifndef QUILLET_VERSION
#error "QUILLET_VERSION must name the project version"
#endif

namespace CalMod {

namespace {

void Escaped(std::string& out, unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", byte);
    out += text;
}

// 8-bit bytes, losslessly: printable ASCII as itself, the rest as \u00XX.
std::string BytesJson(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 32 && byte < 127) {
            out += c;
        } else {
            Escaped(out, byte);
        }
    }
    return out + "\"";
}

// UTF-8 text (names, the directory): well-formed sequences as they are;
// control characters and bytes that are no UTF-8 (overlong forms, surrogates,
// code points past U+10FFFF included) as \u00XX.
std::string TextJson(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = station::Utf8SequenceLength(text, i);
        if (lead >= 0x80 && length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        if (lead == '"' || lead == '\\') {
            out += '\\';
            out += text[i];
        } else if (lead >= 32 && lead < 127) {
            out += text[i];
        } else {
            Escaped(out, lead);
        }
        ++i;
    }
    return out + "\"";
}

std::string Seconds(double value) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::fixed, 4).ptr;
    return {text.data(), end};
}

std::string QueryJson(const meter::QueryTrace& query, const std::string* reply) {
    std::string out = "{\"discarded\":" + BytesJson(query.discarded) + ",\"attempts\":[";
    for (std::size_t a = 0; a < query.attempts.size(); ++a) {
        const auto& attempt = query.attempts[a];
        out += (a ? ",{" : "{") + std::string("\"at\":") + Seconds(attempt.at) +
               ",\"written\":" + BytesJson(attempt.written) + ",\"reads\":[";
        for (std::size_t r = 0; r < attempt.reads.size(); ++r) {
            out += (r ? ",{\"at\":" : "{\"at\":") + Seconds(attempt.reads[r].at) +
                   ",\"bytes\":" + BytesJson(attempt.reads[r].bytes) + "}";
        }
        out += "]}";
    }
    out += "]";
    if (reply) out += ",\"reply\":" + BytesJson(*reply);
    return out + "}";
}

}  // namespace

std::string JournalLine(const JournalEntry& entry) {
    std::string line = "{\"start\":" + TextJson(entry.start) +
                       ",\"seconds\":" + Seconds(entry.seconds) +
                       ",\"version\":" + TextJson(QUILLET_VERSION) +
                       ",\"user\":" + TextJson(entry.user) + ",\"host\":" + TextJson(entry.host) +
                       ",\"directory\":" + TextJson(entry.directory) +
                       ",\"target\":" + BytesJson(entry.target) +
                       ",\"port\":" + BytesJson(entry.port) +
                       ",\"device\":" + TextJson(entry.device) +
                       ",\"display\":" + (entry.display ? "true" : "false") + ",\"queries\":[";
    for (std::size_t q = 0; q < entry.queries.size(); ++q) {
        if (q) line += ',';
        line += QueryJson(entry.queries[q], q < entry.replies.size() ? &entry.replies[q] : nullptr);
    }
    const char* outcome = entry.notWritten ? "not written"
                          : entry.result.empty() ? "no reading"
                                                 : "reading";
    line += "],\"result\":" + BytesJson(entry.result) + R"(,"outcome":")" + outcome + "\"";
    if (entry.notWritten) line += ",\"reason\":" + TextJson(*entry.notWritten);
    return line + "}\n";
}

std::optional<JournalAppended> AppendJournal(const std::filesystem::path& file,
                                             const JournalEntry& entry) noexcept {
    try {
        const std::string line = JournalLine(entry);
        const station::Appended appended =
            station::AppendChained(file, std::string_view(line).substr(0, line.size() - 1));
        return JournalAppended{file, appended.seq, appended.sha256};
    } catch (...) {
        // The journal is evidence of the job, never part of it.
        return std::nullopt;
    }
}

}  // namespace CalMod
