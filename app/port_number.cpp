#include "app/port_number.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>

#include "app/record.hpp"
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

std::optional<int> NamedPort(std::string_view text) {
    std::string name = reading::Trim(text);
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
        name = "COM" + name;
    }
    if (name.size() > std::tuple_size_v<decltype(ExtCtrlRec::PortName)>) return std::nullopt;
    const int port = PortNumber(name);  // five characters always fit
    if (port < 1) return std::nullopt;
    return port;
}

}  // namespace CalMod
