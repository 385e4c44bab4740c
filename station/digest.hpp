// SHA-256 from the platform's own library (digest_posix.cpp: OpenSSL's
// libcrypto; digest_win32.cpp: BCrypt, a system DLL): the journal's chain
// hashes each line, and the lab tools check it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace station {

using Digest = std::array<unsigned char, 32>;

// The SHA-256 of the bytes. Throws std::runtime_error when the platform's
// library fails.
Digest Sha256(std::string_view bytes);

// The same as 64 lowercase hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace station
