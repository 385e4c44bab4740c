#include "station/utf8.hpp"

namespace station {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || at + length > text.size()) return 0;
    // The second byte's range excludes overlong forms (E0, F0), the UTF-16
    // surrogates (ED) and code points above U+10FFFF (F4).
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t code) {
    const auto unit = [&](char32_t bits) { out += static_cast<char>(bits); };
    if (code < 0x80) {
        unit(code);
    } else if (code < 0x800) {
        unit(0xC0 | (code >> 6));
        unit(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        unit(0xE0 | (code >> 12));
        unit(0x80 | ((code >> 6) & 0x3F));
        unit(0x80 | (code & 0x3F));
    } else {
        unit(0xF0 | (code >> 18));
        unit(0x80 | ((code >> 12) & 0x3F));
        unit(0x80 | ((code >> 6) & 0x3F));
        unit(0x80 | (code & 0x3F));
    }
}

char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
        code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    }
    return code;
}

}  // namespace station
