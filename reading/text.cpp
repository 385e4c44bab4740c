#include "reading/text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

namespace reading {
namespace {

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The whole number written by the leading digits of the given base (0 without
// digits), and how many digits that is. Exact up to 2^53, as close as a double
// allows beyond.
double WholeNumber(std::string_view digits, int base, std::size_t& length) {
    double value = 0;
    for (length = 0; length < digits.size(); ++length) {
        const int digit = HexDigitValue(digits[length]);
        if (digit < 0 || digit >= base) break;
        value = value * base + digit;
    }
    if (!std::isfinite(value)) throw ConversionError("number too large for a double");
    return value;
}

// The decimal number at the start of a text that holds no blanks, tabs or line
// feeds any more: sign, digits with at most one full stop, exponent. Sets
// whether that number has an exponent with a minus sign and how many
// characters it takes up (0 without digits).
double DecimalValue(std::string_view text, bool& negativeExponentRead, std::size_t& length) {
    std::size_t end = 0;
    const bool negative = end < text.size() && text[end] == '-';
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
    const std::size_t mantissaStart = end;

    // Decimal position of the first significant digit: digits before the point
    // count up, zeros between the point and that digit count down. Together with
    // the exponent it tells an overflow from an underflow.
    long long scale = 0;
    bool anyDigit = false;
    bool significant = false;
    bool point = false;
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (IsDigit(c)) {
            anyDigit = true;
            significant = significant || c != '0';
            if (!point && significant) ++scale;
            if (point && !significant) --scale;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0;
    length = end;

    // The number in the form that std::from_chars reads: no plus sign in front,
    // the exponent letter as "e". An exponent letter without digits ends the
    // number in front of it.
    std::string number = negative ? "-" : "";
    number.append(text.substr(mantissaStart, end - mantissaStart));
    long long exponent = 0;
    if (end < text.size() && std::string_view("EeDd").find(text[end]) != std::string_view::npos) {
        std::size_t next = end + 1;
        const bool negativeExponent = next < text.size() && text[next] == '-';
        if (next < text.size() && (text[next] == '-' || text[next] == '+')) ++next;
        const std::size_t digitsStart = next;
        for (; next < text.size() && IsDigit(text[next]); ++next) {
            // Saturates far beyond any double's range; only the sign matters then.
            exponent = std::min(exponent * 10 + (text[next] - '0'), 1'000'000'000LL);
        }
        if (next > digitsStart) {
            number += negativeExponent ? "e-" : "e";
            number.append(text.substr(digitsStart, next - digitsStart));
            if (negativeExponent) exponent = -exponent;
            negativeExponentRead = negativeExponent;
            length = next;
        }
    }

    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (scale + exponent > 0) throw ConversionError("number too large for a double");
        return negative ? -0.0 : 0.0;
    }
    return value;
}

}  // namespace

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUnitChar(char c) {
    return static_cast<unsigned char>(c) >= 58;
}

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

LeadingNumber ReadLeadingNumber(std::string_view text) {
    // The text without the blanks, tabs and line feeds the number may hold,
    // and where each of its characters stood.
    std::string compact;
    std::vector<std::size_t> origin;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n') continue;
        compact += c;
        origin.push_back(i);
    }
    LeadingNumber number;
    std::size_t length = 0;
    if (compact.size() >= 2 && compact[0] == '&' &&
        std::string_view("HhOo").find(compact[1]) != std::string_view::npos) {
        const int base = compact[1] == 'H' || compact[1] == 'h' ? 16 : 8;
        number.Value = WholeNumber(std::string_view(compact).substr(2), base, length);
        if (length > 0) length += 2;
    } else {
        number.Value = DecimalValue(compact, number.NegativeExponent, length);
    }
    number.Length = length == 0 ? 0 : origin[length - 1] + 1;
    return number;
}

double LeadingValue(std::string_view text) {
    return ReadLeadingNumber(text).Value;
}

std::string ValueText(double value, int digits) {
    if (!std::isfinite(value)) throw ConversionError("value is not finite");
    // std::to_chars is locale-independent; general format with a precision is
    // the form of printf's "%.*g" in the C locale.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, digits);
    std::string text(buffer.data(), result.ptr);
    if (const std::size_t e = text.find('e'); e != std::string::npos) text[e] = 'E';
    return text;
}

double TextValue(std::string_view text) {
    double value = 0;
    const char* const last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), last, value);
    if (ec != std::errc{} || ptr != last || !std::isfinite(value)) {
        throw ConversionError("type mismatch: \"" + std::string(text) + "\" is no number");
    }
    return value;
}

std::string NormalisedText(double value) {
    return ValueText(LeadingValue(ValueText(value)));
}

}  // namespace reading
