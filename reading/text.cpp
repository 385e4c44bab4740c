#include "reading/text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace reading {
namespace {

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The whole number written by the leading digits of the given base; 0 without
// digits. Exact up to 2^53, as close as a double allows beyond.
double WholeNumber(std::string_view digits, int base) {
    double value = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= base) break;
        value = value * base + digit;
    }
    if (!std::isfinite(value)) throw ConversionError("number too large for a double");
    return value;
}

// The decimal number at the start of a text that holds no blanks, tabs or line
// feeds any more: sign, digits with at most one full stop, exponent.
// *negativeExponentRead tells whether the number read has an exponent with a minus
// sign.
double DecimalValue(std::string_view text, bool* negativeExponentRead) {
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
            *negativeExponentRead = negativeExponent;
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
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') compact += c;
    }
    if (compact.size() >= 2 && compact[0] == '&') {
        const std::string_view digits = std::string_view(compact).substr(2);
        if (compact[1] == 'H' || compact[1] == 'h') return {WholeNumber(digits, 16), false};
        if (compact[1] == 'O' || compact[1] == 'o') return {WholeNumber(digits, 8), false};
    }
    bool negativeExponent = false;
    const double value = DecimalValue(compact, &negativeExponent);
    return {value, negativeExponent};
}

double LeadingValue(std::string_view text) {
    return ReadLeadingNumber(text).Value;
}

std::string ValueText(double value) {
    if (!std::isfinite(value)) throw ConversionError("value is not finite");
    // std::to_chars is locale-independent; general format with precision 15 is
    // the form of printf's "%.15g" in the C locale.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 15);
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
