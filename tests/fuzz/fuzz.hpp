// Shared by the fuzz targets: how one input is cut into two texts, and the
// check that ends the run (libFuzzer then saves the input as a crash).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace fuzz {

// The first byte gives the length of the first text (cut to what is there);
// the rest of the input is the second text.
inline std::pair<std::string_view, std::string_view> Split(const std::uint8_t* data,
                                                           std::size_t size) {
    if (size == 0) return {};
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t firstLength = data[0] < rest.size() ? data[0] : rest.size();
    return {rest.substr(0, firstLength), rest.substr(firstLength)};
}

[[noreturn]] inline void Violated(const char* check, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, check);
    std::abort();
}

}  // namespace fuzz

// An assertion that holds in every build type (NDEBUG does not remove it).
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::fuzz::Violated(#condition, __FILE__, __LINE__))
