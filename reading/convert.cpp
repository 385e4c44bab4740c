#include "reading/convert.hpp"

#include <algorithm>
#include <cmath>

#include "reading/prefix.hpp"
#include "reading/text.hpp"

namespace reading {
namespace {

// The prefix factor of a unit text, rounded to single precision: the scaling
// uses the rounded factor, never the double.
float SingleFactor(std::string_view unit) {
    return static_cast<float>(PrefixFactor(unit));
}

// A scaled value beyond the range of a double is a failure, not infinity.
double Finite(double value) {
    if (!std::isfinite(value))
        throw ConversionError("scaled reading is beyond the range of a double");
    return value;
}

// The number as it goes into the result: whole when it fits the room the
// record leaves it, otherwise with as many significant digits as fit, rounded
// and with its exponent whole. A number never loses a character to the cut.
std::string Fitted(const std::string& number, std::size_t room) {
    if (number.size() <= room) return number;
    const double value = TextValue(number);
    int digits = SignificantDigits - 1;
    std::string shorter = ValueText(value, digits);
    while (shorter.size() > room && digits > 1) shorter = ValueText(value, --digits);
    return shorter;
}

}  // namespace

ReplyReading ReadReply(std::string_view reply) {
    const std::string_view received = reply;

    // The meter may put "0" and CR in front of its reading.
    if (reply.starts_with("0\r")) reply.remove_prefix(2);

    // Everything in front of the first digit goes.
    std::size_t first = 0;
    while (first < reply.size() && !IsDigit(reply[first])) ++first;
    if (first == reply.size()) throw ConversionError("reply holds no digit");
    reply.remove_prefix(first);

    // Tail: with a unit word the CR and the word's last letter go (kOhms gives
    // kOhm, kHz gives kH); otherwise the last word and the blank before it go
    // (12.345 V DC gives 12.345 V).
    const bool unitWord = std::any_of(UnitWords.begin(), UnitWords.end(), [&](auto word) {
        return reply.find(word) != std::string_view::npos;
    });
    if (unitWord) {
        reply.remove_suffix(2);  // at least a digit and a unit word are left
    } else {
        const std::size_t blank = reply.rfind(' ');
        if (blank == std::string_view::npos) {
            throw ConversionError("reply has no blank after its number");
        }
        reply = reply.substr(0, blank);
    }

    // The reply's unit is everything after its last blank; the number stands in
    // front of that blank. The unit holds no blank, so it needs no trimming.
    const std::size_t blank = reply.rfind(' ');
    if (blank == std::string_view::npos) {
        throw ConversionError("reply has no blank before its unit");
    }
    const std::string_view numberPart = reply.substr(0, blank + 1);
    const LeadingNumber leading = ReadLeadingNumber(numberPart);

    // In a reading only blanks follow the number up to its unit. Anything else
    // there (a second reply glued to a partial one, a corrupted digit, a line
    // caught in the middle) means the number read is not the meter's reading.
    if (numberPart.find_first_not_of(" \t\n", leading.Length) != std::string_view::npos) {
        throw ConversionError("reply holds more than one number before its unit");
    }

    // The sign is taken from the whole reply as received: any "-" makes the
    // result negative, except the sign of the exponent of the number read above
    // (1.5E-03 is small, not negative). The number itself is read without its
    // sign and stays non-negative through both scalings.
    const auto minusCount = std::count(received.begin(), received.end(), '-');
    return {.Negative = minusCount > (leading.NegativeExponent ? 1 : 0),
            .Number = ValueText(leading.Value),
            .Unit = std::string(reply.substr(blank + 1))};
}

std::string_view TargetUnit(std::string_view targetText) {
    // A blank, a mark such as "/" or ".", or a digit ends the unit.
    std::size_t unitStart = targetText.size();
    while (unitStart > 0 && IsUnitChar(targetText[unitStart - 1])) --unitStart;
    return targetText.substr(unitStart);
}

std::string ConvertReply(std::string_view reply, std::string_view targetText) {
    if (reply.empty()) return {};
    const ReplyReading reading = ReadReply(reply);

    // Into the base unit, then into the job's unit. Each step goes from text
    // to a number and back to text (the reply's number, the base value, the
    // job's value): these round trips are the rounding rule, so a result has
    // exactly the digits the text steps give, never a double's full tail.
    const std::string baseText =
        NormalisedText(Finite(TextValue(reading.Number) * SingleFactor(reading.Unit)));
    const std::string_view targetUnit = TargetUnit(targetText);
    const std::string valueText =
        NormalisedText(Finite(TextValue(baseText) / SingleFactor(targetUnit)));

    const std::string sign = reading.Negative ? "-" : "";
    return sign + Fitted(valueText, ResultFieldWidth - sign.size()) + std::string(targetUnit);
}

}  // namespace reading
