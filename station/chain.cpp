#include "station/chain.hpp"

#include <charconv>

#include "station/digest.hpp"

namespace station {

std::optional<std::uint64_t> LineSeq(std::string_view line) {
    constexpr std::string_view head = R"({"seq":)";
    if (!line.starts_with(head)) return std::nullopt;
    const char* first = line.data() + head.size();
    const char* last = line.data() + line.size();
    std::uint64_t seq = 0;
    const auto [end, error] = std::from_chars(first, last, seq);
    if (error != std::errc{} || end == first || end == last || *end != ',') return std::nullopt;
    return seq;
}

Link NextLink(std::optional<std::string_view> lastLine,
              const std::function<std::uint64_t()>& lineCount) {
    if (!lastLine) return {1, std::nullopt};
    const std::optional<std::uint64_t> seq = LineSeq(*lastLine);
    return {seq ? *seq + 1 : lineCount() + 1, Sha256Hex(*lastLine)};
}

std::string ChainedLine(const Link& link, bool locked, std::string_view entry) {
    std::string line = R"({"seq":)" + (link.seq ? std::to_string(*link.seq) : "null") +
                       R"(,"prev":)" + (link.prev ? "\"" + *link.prev + "\"" : "null") +
                       R"(,"locked":)" + (locked ? "true" : "false");
    const std::string_view rest = entry.substr(1);  // the entry's fields after its '{'
    if (!rest.starts_with('}')) line += ',';
    return line += rest;
}

}  // namespace station
