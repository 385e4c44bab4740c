// The micro sign where records are Windows-1252: byte 0xB5.
#include "reading/micro_sign.hpp"

namespace reading {

std::optional<char> MicroSignByte() {
    return static_cast<char>(0xB5);
}

}  // namespace reading
