// Bytes as a lab tool prints them: in quotes, with CR, LF and tab as \r, \n
// and \t, the quote and backslash escaped, and every other control character
// and byte above 126 as \xHH, so that nothing on the line or in a record is
// hidden or garbles the terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tools {

inline std::string Visible(std::string_view bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c == '\\' || c == '"') {
            text += '\\';
            text += c;
        } else if (byte < 32 || byte >= 127) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

}  // namespace tools
