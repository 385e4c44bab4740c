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

}  // namespace

std::string ConvertReply(std::string_view reply, std::string_view targetText) {
    if (reply.empty()) return {};
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
    const bool unitWord = reply.find("Farads") != std::string_view::npos ||
                          reply.find("Ohms") != std::string_view::npos ||
                          reply.find("Hz") != std::string_view::npos;
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
    const std::string_view replyUnit = reply.substr(blank + 1);
    const LeadingNumber leading = ReadLeadingNumber(reply.substr(0, blank + 1));
    const std::string number = ValueText(leading.Value);

    // The sign is taken from the whole reply as received: any "-" makes the
    // result negative, except the sign of the exponent of the number read above
    // (1.5E-03 is small, not negative). The number itself is read without its
    // sign and stays non-negative through both scalings.
    const auto minusCount = std::count(received.begin(), received.end(), '-');
    const bool negative = minusCount > (leading.NegativeExponent ? 1 : 0);

    // Into the base unit.
    const std::string baseText =
        NormalisedText(Finite(TextValue(number) * SingleFactor(replyUnit)));

    // The job's unit is the run of unit characters at the end of its target text;
    // a blank, a mark such as "/" or ".", or a digit ends it.
    std::size_t unitStart = targetText.size();
    while (unitStart > 0 && IsUnitChar(targetText[unitStart - 1])) --unitStart;
    const std::string_view targetUnit = targetText.substr(unitStart);

    // Into the job's unit.
    const std::string valueText =
        NormalisedText(Finite(TextValue(baseText) / SingleFactor(targetUnit)));

    return (negative ? "-" : "") + valueText + std::string(targetUnit);
}

}  // namespace reading
