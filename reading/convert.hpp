// Conversion of the meter's reply text into the job's result text.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace reading {

// Characters of a result text that the host's record keeps.
inline constexpr std::size_t ResultFieldWidth = 20;

// The unit words that mark a reply of the first shape below; the conversion
// drops a word's last letter ("kOhms" gives kOhm, "kHz" kH).
inline constexpr std::string_view Farads = "Farads";
inline constexpr std::string_view Ohms = "Ohms";
inline constexpr std::string_view Hertz = "Hz";
inline constexpr std::array<std::string_view, 3> UnitWords = {Farads, Ohms, Hertz};

// What a reply says: its sign, its number and the unit text after the number.
struct ReplyReading {
    bool Negative = false;  // a "-" in the reply, other than the exponent's sign
    std::string Number;     // the number without its sign, as ValueText writes it
    std::string Unit;       // the prefixed unit: "kOhm" of "kOhms", "mV" of "mV DC"
};

// Reads a non-empty reply of one of the two shapes a meter sends: a number, a
// blank and a unit holding "Ohms", "Hz" or "Farads", then CR; or a number, a
// blank, a unit, a blank and a further word, then CR (a leading "0" and CR, and
// anything in front of the first digit, are skipped). Throws ConversionError
// for any other reply, and for one with anything but blanks between the number
// and the blank before the unit.
ReplyReading ReadReply(std::string_view reply);

// The job's unit text: the run of unit characters at the end of the target
// text ("mV" of "10.000 mV", "s" of "10.0 m/s", nothing of "10").
std::string_view TargetUnit(std::string_view targetText);

// Turns the meter's reply into the result text in the unit that targetText ends
// in: the value (preceded by "-" when the reply holds a "-"), followed directly
// by the target's unit text. When sign and number would take more than the
// record's 20 characters, the number is written with as many significant digits
// as fit (rounded); only the unit text may then be cut by the record. An empty
// reply gives an empty result. A reply that cannot be converted throws
// ConversionError. Needs no meter, window or globals.
std::string ConvertReply(std::string_view reply, std::string_view targetText);

}  // namespace reading
