// The tools' escaped text forms: the log form, the quoted form and the
// reading back of escapes.
#include "tools/common/escape.hpp"

#include "station/utf8.hpp"

#include <cstdio>
#include <stdexcept>

namespace tools {

namespace {

// Appends the log form of the bytes; `quoted` also escapes the quote.
void AppendEscaped(std::string& text, std::string_view bytes, bool quoted) {
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\' || (quoted && c == '"')) {
            text += '\\';
            text += c;
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (code < 32 || code > 126) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", code);
            text += hex;
        } else {
            text += c;
        }
    }
}

// Code points that a terminal shows as nothing, or as an ordinary blank.
bool Invisible(char32_t code) {
    return (code >= 0x80 && code <= 0xA0) || code == 0xAD || code == 0x34F || code == 0x61C ||
           code == 0x180E || (code >= 0x2000 && code <= 0x200F) ||
           (code >= 0x2028 && code <= 0x202F) || (code >= 0x205F && code <= 0x206F) ||
           code == 0x3000 || code == 0xFEFF || (code >= 0xFFF9 && code <= 0xFFFB);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Escape(std::string_view bytes) {
    std::string text;
    AppendEscaped(text, bytes, false);
    return text;
}

std::string Visible(std::string_view bytes) {
    std::string text = "\"";
    AppendEscaped(text, bytes, true);
    return text + "\"";
}

std::string Printable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = station::Utf8SequenceLength(text, i);
        const char32_t code = length > 0 ? station::Utf8CodePoint(text, i, length) : 0;
        if (length > 1 && Invisible(code)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(code));
            out += hex;
        } else if (length > 1 || text[i] == '\\') {
            // A backslash stays one: Windows paths are full of them.
            out.append(text.substr(i, length > 0 ? length : 1));
        } else {
            AppendEscaped(out, text.substr(i, 1), false);
        }
        i += length > 0 ? length : 1;
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char kind = i + 1 < text.size() ? text[++i] : '\0';
        switch (kind) {
            case 'r':
                bytes += '\r';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 't':
                bytes += '\t';
                break;
            case '\\':
                bytes += '\\';
                break;
            case 'x': {
                const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    throw std::invalid_argument("\\x needs two hex digits in '" +
                                                std::string(text) + "'");
                }
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                throw std::invalid_argument("unknown escape in '" + std::string(text) +
                                            R"(' (use \r, \n, \t, \\ or \xHH))");
        }
    }
    return bytes;
}

}  // namespace tools
