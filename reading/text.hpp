// Text rules and number conversions shared by the reading conversion, the job
// driver and the status window.
//
// Texts are held as 8-bit strings (std::string of bytes) in the code page of
// the exchange record: the record stores one character per byte and the meter
// sends one character per byte, so the byte is the character code that the
// digit and unit tests look at, and every byte goes back exactly as read. Only
// the display converts to Unicode (station/code_page.hpp).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace reading {

// A reply or a value that cannot be converted. Distinct from an empty result.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Character code 48 to 57.
bool IsDigit(char c);

// Character code 58 or more (letters, most marks, everything outside ASCII).
bool IsUnitChar(char c);

// Removes blanks (code 32, nothing else) from both ends.
std::string Trim(std::string_view text);

// The number at the start of a text, full stop as the only decimal separator.
// Blanks, tabs and line feeds are skipped wherever they stand; an optional sign,
// digits with at most one full stop, an optional exponent (E, e, D or d, sign,
// digits); "&H" and "&O" introduce hexadecimal and octal whole numbers. A text
// without a number gives 0. Throws ConversionError when the value is too large
// for a double.
double LeadingValue(std::string_view text);

// The number LeadingValue reads, whether it has an exponent with a minus sign
// ("1.5E-03 V" yes; "-1.5E+03", "1.5E-" and "1.5 V-" no), and how many
// characters of the text it takes up, blanks inside it included ("1 2.5 V"
// gives 5; 0 when the text holds no number).
struct LeadingNumber {
    double Value = 0;
    bool NegativeExponent = false;
    std::size_t Length = 0;
};
LeadingNumber ReadLeadingNumber(std::string_view text);

inline constexpr int SignificantDigits = 15;

// The standard text form of a double: at most 15 significant digits (or as
// many as asked for, rounded), trailing zeros of the fraction dropped, fixed
// notation for decimal exponents -4 to 14 (-4 to digits - 1), otherwise
// exponent notation (1E-05, 1.5E+15). Full stop as separator, whatever the
// locale. Throws ConversionError for a value that is not finite.
std::string ValueText(double value, int digits = SignificantDigits);

// Reads a text of the form ValueText writes. Throws ConversionError (type
// mismatch) on a text that is no number.
double TextValue(std::string_view text);

// ValueText, read back with LeadingValue, written once more with ValueText.
std::string NormalisedText(double value);

}  // namespace reading
