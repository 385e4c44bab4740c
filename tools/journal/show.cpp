#include "tools/journal/show.hpp"

#include <stdexcept>

#include "app/port_number.hpp"
#include "station/chain.hpp"
#include "tools/common/escape.hpp"
#include "tools/journal/lines.hpp"

namespace journal_tool {

namespace {

std::string_view WithoutFill(std::string_view field) {
    const std::size_t end = field.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : field.substr(0, end + 1);
}

}  // namespace

bool Filter::Matches(const Entry& entry) const {
    if (seq && entry.seq != seq) return false;
    if (outcome && entry.outcome != *outcome) return false;
    if (port && CalMod::NamedPort(entry.port) != port) return false;
    if (since || until) {
        const std::optional<Instant> start = ParseInstant(entry.start);
        if (!start || (since && *start < *since) || (until && *start >= *until)) return false;
    }
    return true;
}

std::uint64_t ForEachMatch(std::istream& in, const Filter& filter,
                           const std::function<void(const std::string& line, const Entry&)>& hit) {
    LineReader reader(in);
    std::uint64_t passedOver = 0;
    while (reader.Next()) {
        // A line that names another seq at its start is passed by without reading it whole.
        if (filter.seq && station::LineSeq(reader.Line()).value_or(*filter.seq) != *filter.seq) continue;
        Entry entry;
        try {
            entry = ReadEntry(reader.Line());
        } catch (const std::runtime_error&) {
            ++passedOver;
            continue;
        }
        if (filter.Matches(entry)) hit(reader.Line(), entry);
    }
    if (reader.Failed()) {
        throw std::runtime_error("reading stopped at line " + std::to_string(reader.Number() + 1));
    }
    return passedOver;
}

std::string Summary(const Entry& entry) {
    return tools::Printable(entry.start) + "  seq " + (entry.seq ? std::to_string(*entry.seq) : "-") +
           "  " + tools::Visible(WithoutFill(entry.port)) +
           "  target " + tools::Visible(WithoutFill(entry.target)) +
           "  result " + tools::Visible(entry.result) + "  " + tools::Printable(entry.outcome);
}

}  // namespace journal_tool
