#include "reading/prefix.hpp"

#include "station/code_page.hpp"

namespace reading {

double PrefixFactor(std::string_view unit) {
    if (unit.empty()) return 1;
    switch (unit.front()) {
        case 'T':
            return 1e12;
        case 'G':
            return 1e9;
        case 'M':
            return 1e6;
        case 'k':
        case 'K':
            return 1e3;
        case 'm':
            return 1e-3;
        case 'u':
            return 1e-6;
        case 'n':
            return 1e-9;
        case 'p':
            return 1e-12;
        case 'f':
            return 1e-15;
        case 'a':
            return 1e-18;
        default:
            // The micro sign is micro, as "u" is.
            return unit.front() == station::MicroSignByte() ? 1e-6 : 1;
    }
}

}  // namespace reading
