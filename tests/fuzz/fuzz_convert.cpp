// The reply conversion under any reply and target text: no crash and no
// undefined behaviour; either a reported failure (ConversionError) or a result
// made of an optional "-", a finite non-negative number and the target's unit
// text. Input: first byte = length of the target text, then the target text,
// then the reply.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz.hpp"
#include "reading/convert.hpp"
#include "reading/text.hpp"

namespace {

// The job's unit text: the run of characters with codes 58 and up at the end
// of the target text.
std::string_view TargetUnit(std::string_view target) {
    std::size_t start = target.size();
    while (start > 0 && static_cast<unsigned char>(target[start - 1]) >= 58) --start;
    return target.substr(start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [target, reply] = fuzz::Split(data, size);

    std::string result;
    try {
        result = reading::ConvertReply(reply, target);
    } catch (const reading::ConversionError&) {
        return 0;  // a reported failure: the job's result stays empty
    }

    if (reply.empty()) {
        FUZZ_CHECK(result.empty());
        return 0;
    }

    const std::string_view unit = TargetUnit(target);
    std::string_view number = result;
    FUZZ_CHECK(number.ends_with(unit));
    number.remove_suffix(unit.size());

    // Sign and number always fit the record's result field whole.
    FUZZ_CHECK(number.size() <= reading::ResultFieldWidth);

    // Only a reply with a "-" in it gives a negative result.
    if (number.starts_with('-')) {
        FUZZ_CHECK(reply.find('-') != std::string_view::npos);
        number.remove_prefix(1);
    }

    // The number part: a whole, finite, non-negative number in the C form
    // (digits first; the exponent written with "E").
    FUZZ_CHECK(!number.empty() && number.front() >= '0' && number.front() <= '9');
    double value = -1;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    FUZZ_CHECK(error == std::errc{});
    FUZZ_CHECK(end == number.data() + number.size());
    FUZZ_CHECK(std::isfinite(value) && value >= 0);
    return 0;
}
