// The number readers under any text: LeadingValue gives a finite value or a
// reported failure (ConversionError), and blanks in front change nothing; the
// port number of a port name is a 16-bit number or a reported failure.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/port_number.hpp"
#include "fuzz.hpp"
#include "reading/text.hpp"

namespace {

void CheckLeadingValue(std::string_view text) {
    double value = 0;
    try {
        value = reading::LeadingValue(text);
    } catch (const reading::ConversionError&) {
        // Too large for a double: reported. A blank in front must not change that.
        try {
            reading::LeadingValue(" " + std::string(text));
        } catch (const reading::ConversionError&) {
            return;
        }
        FUZZ_CHECK(!"a blank in front turned a failure into a value");
    }
    FUZZ_CHECK(std::isfinite(value));
    // Blanks, tabs and line feeds are skipped wherever they stand.
    FUZZ_CHECK(reading::LeadingValue(" \t\n" + std::string(text)) == value);
}

void CheckPortNumber(std::string_view portName) {
    try {
        (void)CalMod::PortNumber(portName);
    } catch (const std::overflow_error&) {
        // Beyond a 16-bit number: reported.
    } catch (const reading::ConversionError&) {
        // Beyond a double: reported.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckLeadingValue(text);
    // The record's port field holds 5 characters; longer names are tried too.
    CheckPortNumber(text.substr(0, 5));
    CheckPortNumber(text);
    return 0;
}
