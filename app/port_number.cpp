#include "app/port_number.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "reading/text.hpp"

namespace CalMod {

std::int16_t PortNumber(std::string_view portName) {
    const std::string_view digits = portName.size() > 3 ? portName.substr(3) : std::string_view{};
    const double nearest = std::nearbyint(reading::LeadingValue(digits));  // ties to even
    if (!(nearest >= std::numeric_limits<std::int16_t>::min() &&
          nearest <= std::numeric_limits<std::int16_t>::max())) {
        throw std::overflow_error("port number out of range");
    }
    return static_cast<std::int16_t>(nearest);
}

}  // namespace CalMod
