#include "station/digest.hpp"

namespace station {

std::string Sha256Hex(std::string_view bytes) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char byte : Sha256(bytes)) {
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out;
}

}  // namespace station
