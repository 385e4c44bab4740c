// SHA-256 through OpenSSL's libcrypto.
#include <openssl/evp.h>

#include <stdexcept>

#include "station/digest.hpp"

namespace station {

Digest Sha256(std::string_view bytes) {
    Digest digest{};
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1 ||
        size != digest.size()) {
        throw std::runtime_error("SHA-256: libcrypto failed");
    }
    return digest;
}

}  // namespace station
