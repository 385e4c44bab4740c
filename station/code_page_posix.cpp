// The record's code page on POSIX systems: Windows-1252, the code page of the
// host's records.
#include <array>

#include "station/code_page.hpp"
#include "station/utf8.hpp"

namespace station {
namespace {

// Code points of the bytes 0x80 to 0x9F in Windows-1252; the five bytes it leaves
// undefined stand for the C1 controls of the same number.
constexpr std::array<char32_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string RecordTextUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : byte);
    }
    return out;
}

std::optional<char> MicroSignByte() {
    return static_cast<char>(0xB5);
}

}  // namespace station
